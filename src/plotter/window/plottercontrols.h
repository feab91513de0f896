#pragma once

// The plotter window's controls, as the window makes them and a screen reader is told of them.
// Kept as plain data, so that tools that lay out or drive the window read the same table.

struct PlotterControl {
    enum Kind { Caption, Readout, Button, Box, Picture };
    enum Align { Left, Centre };
    const char *name;
    Kind kind;
    const char16_t *text;
    int left, top, width, height; // twips
    Align align;
    int tabIndex;                          // -1: takes no focus
    const char16_t *accessibleName;        // null: the caption
    const char16_t *accessibleDescription; // null: the tooltip
};

namespace plottercontrols
{
using enum PlotterControl::Kind;
using enum PlotterControl::Align;
constexpr int kNoTab = -1;
constexpr int kWidth = 6795, kHeight = 8160; // twips: the laid-out size

// In the order the window makes them; the picture comes last, over the captions.
inline constexpr PlotterControl kControls[] = {
    {"Lbzj", Caption, u"左上角坐标", 120, 240, 975, 255, Left, kNoTab, nullptr, nullptr},
    {"Lbzjx", Readout, u"", 120, 600, 1095, 255, Left, kNoTab, nullptr, u"左上角横坐标"},
    {"Lbzjy", Readout, u"", 120, 1080, 1095, 255, Left, kNoTab, nullptr, u"左上角纵坐标"},
    {"Lbyj", Caption, u"右下角坐标", 120, 1440, 975, 255, Left, kNoTab, nullptr, nullptr},
    {"lbyjx", Readout, u"", 120, 1800, 1095, 255, Left, kNoTab, nullptr, u"右下角横坐标"},
    {"lbyjy", Readout, u"", 120, 2160, 1095, 255, Left, kNoTab, nullptr, u"右下角纵坐标"},
    {"Command1", Button, u"保存图片", 120, 3000, 1095, 375, Left, 23, nullptr, nullptr},
    {"Command2", Button, u"返回", 120, 3480, 1095, 375, Left, 24, nullptr, nullptr},
    {"Label1", Caption, u"放大系数", 120, 4080, 855, 255, Centre, kNoTab, nullptr, nullptr},
    {"Lbxs", Readout, u"1", 120, 4440, 1095, 255, Left, kNoTab, nullptr, u"放大系数"},
    {"Cdyx", Button, u"开始运行", 120, 4920, 1095, 375, Left, 6, nullptr, nullptr},
    {"Cdqc", Button, u"清除方程", 120, 5520, 1095, 375, Left, 8, nullptr, nullptr},
    {"Label3", Caption, u"x", 120, 6120, 375, 255, Centre, kNoTab, nullptr, nullptr},
    {"lbx", Readout, u"", 720, 6120, 2535, 255, Left, kNoTab, nullptr, u"指针处的横坐标"},
    {"Label4", Caption, u"y", 3480, 6120, 375, 255, Centre, kNoTab, nullptr, nullptr},
    {"Lby", Readout, u"", 4080, 6120, 2535, 255, Left, kNoTab, nullptr, u"指针处的纵坐标"},
    {"Label2", Caption, u"方程一", 240, 6600, 735, 255, Centre, kNoTab, nullptr, nullptr},
    {"Text1", Box, u"", 1320, 6600, 5415, 270, Left, 0, u"方程一", nullptr},
    {"Label5", Caption, u"方程二", 240, 6960, 735, 255, Centre, kNoTab, nullptr, nullptr},
    {"Text2", Box, u"", 1320, 6960, 5415, 270, Left, 1, u"方程二", nullptr},
    {"Label6", Caption, u"参数方程一", 120, 7320, 975, 255, Centre, kNoTab, nullptr, nullptr},
    {"Text3", Box, u"", 1320, 7320, 5415, 270, Left, 19, u"参数方程一", u"参数方程的横坐标"},
    {"Label7", Caption, u"参数方程二", 120, 7680, 975, 255, Left, kNoTab, nullptr, nullptr},
    {"Text4", Box, u"", 1320, 7680, 5415, 270, Left, 21, u"参数方程二", u"参数方程的纵坐标"},
    {"Picture1", Picture, u"", 1440, 120, 5169, 5876, Left, 18, u"函数图像", nullptr},
};
} // namespace plottercontrols
