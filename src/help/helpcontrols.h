#pragma once

// The help window's one control, as the window makes it and a screen reader is told of it.
// Kept as plain data, so that tools that lay out or drive the window read the same table.

struct HelpControl {
    const char *name;
    int left, top, width, height; // twips
    const char16_t *accessibleName;
    const char16_t *accessibleDescription; // null: none
};

namespace helpcontrols
{
constexpr const char16_t *kTitle = u"帮助使用";
constexpr int kWidth = 7170, kHeight = 6735; // twips

inline constexpr HelpControl kText = {"Text1", 240, 120, 6735, 6615, u"帮助说明", nullptr};
} // namespace helpcontrols
