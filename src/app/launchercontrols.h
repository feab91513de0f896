#pragma once

#include "platform/openers.h"

// The launcher's words, as the window makes them. Kept as plain data, so that tools that lay
// out or drive the window read the same table.

struct LauncherControl {
    const char *name;
    const char16_t *caption;      // also what a screen reader is told
    int left, top, width, height; // twips
    const char16_t *face;
    double points;
    std::function<void()> WindowOpeners::*opens; // the three words, in dark red
    char key;                                    // the key that presses the word
};

namespace launchercontrols
{
constexpr const char16_t *kTitle = u"曜石2.00";
constexpr int kWidth = 7260, kHeight = 4830; // twips

inline const LauncherControl kControls[] = {
    {"Label4", u"曜", 600, 600, 1695, 1815, u"楷体_GB2312", 72, nullptr, 0},
    {"Label5", u"石", 600, 2400, 1695, 1815, u"楷体_GB2312", 72, nullptr, 0},
    {"Label1", u"计算器", 4080, 720, 2295, 615, u"方正舒体", 24, &WindowOpeners::calculator, 'C'},
    {"Label2", u"解方程", 4080, 1920, 2295, 615, u"方正舒体", 26.25, &WindowOpeners::plotter, 'P'},
    {"Label3", u"帮助", 4080, 3240, 2295, 615, u"方正舒体", 26.25, &WindowOpeners::help, 'H'},
};
} // namespace launchercontrols
