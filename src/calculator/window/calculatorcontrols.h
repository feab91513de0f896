#pragma once

#include "calculator/engine/keytable.h"
#include "core/operators.h"

// The calculator window's controls, as the window makes them and a screen reader is told of
// them. Kept as plain data, so that tools that lay out or drive the window read the same table.

enum class Face { Window, Song12, Kai14, Kai10 };

struct CalculatorControl {
    const char *name; // the digits, "ji" and "hs" are button groups, told apart by index
    KeyCommand command;
    const char16_t *caption;      // null: the display
    int left, top, width, height; // twips
    Face face;
    int tabIndex;
    const char16_t *tooltip;
    const char16_t *accessibleName; // null: the caption; a symbol's name says what it does
};

namespace calculatorcontrols
{
using enum KeyAction;
using yaoshi::Op;
constexpr const char16_t *kTitle = u"曜石.1.0";
constexpr int kWidth = 6165, kHeight = 5475;         // twips, below the menu bar
constexpr const char *kGroups[] = {"N", "ji", "hs"}; // button groups: index is the command's
constexpr KeyCommand op(KeyAction action, Op code)
{
    return KeyCommand{action, int(code)};
}
constexpr const char16_t *kStepBackTip = u"可以上推20步,快捷键为上箭头,先按TAB键";
constexpr const char16_t *kModeTip = u"当输入文本结实后须按此按钮,快捷键为Tab";
constexpr Face kSong = Face::Song12;
constexpr Face kWin = Face::Window;

// In the order the window makes them; the display's description says the mode, which the
// window sets.
inline constexpr CalculatorControl kControls[] = {
    {"N", {Digit, 0}, u"0", 240, 2520, 735, 375, kSong, 0, nullptr, u"0"},
    {"N", {Digit, 1}, u"1", 1200, 2520, 735, 375, kSong, 1, nullptr, u"1"},
    {"N", {Digit, 2}, u"2", 2160, 2520, 735, 375, kSong, 2, nullptr, u"2"},
    {"N", {Digit, 3}, u"3", 240, 3120, 735, 375, kSong, 3, nullptr, u"3"},
    {"N", {Digit, 4}, u"4", 1200, 3120, 735, 375, kSong, 4, nullptr, u"4"},
    {"N", {Digit, 5}, u"5", 2160, 3120, 735, 375, kSong, 5, nullptr, u"5"},
    {"N", {Digit, 6}, u"6", 240, 3720, 735, 375, kSong, 6, nullptr, u"6"},
    {"N", {Digit, 7}, u"7", 1200, 3720, 735, 375, kSong, 7, nullptr, u"7"},
    {"N", {Digit, 8}, u"8", 2160, 3720, 735, 375, kSong, 8, nullptr, u"8"},
    {"N", {Digit, 9}, u"9", 240, 4320, 735, 375, kSong, 9, nullptr, u"9"},
    {"dian", {Point}, u".点", 1200, 4320, 735, 375, Face::Kai14, 10, nullptr, u"小数点"},
    {"ji", op(Operator, Op::Add), u"+", 3120, 2520, 735, 375, kWin, 11, nullptr, u"加"},
    {"ji", op(Operator, Op::Sub), u"-", 4080, 2520, 735, 375, kWin, 12, nullptr, u"减"},
    {"ji", op(Operator, Op::Mul), u"*", 3120, 3120, 735, 375, kSong, 13, nullptr, u"乘"},
    {"ji", op(Operator, Op::Div), u"/", 4080, 3120, 735, 375, kWin, 14, nullptr, u"除"},
    {"den", {Equals}, u"=", 2160, 4320, 735, 375, kWin, 15, nullptr, u"等于"},
    {"hs", op(Function, Op::Sin), u"sin", 5040, 2520, 735, 375, kWin, 16, u"键盘输入s", u"正弦"},
    {"hs", op(Function, Op::Cos), u"cos", 5040, 3120, 735, 375, kWin, 17, u"键盘输入c", u"余弦"},
    {"hs", op(Function, Op::Lg), u"lg", 5040, 3720, 735, 375, kWin, 18, u"键盘输入l", u"常用对数"},
    {"hs", op(Function, Op::Ln), u"Ln", 5040, 4320, 735, 375, kWin, 19, u"键盘输入L", u"自然对数"},
    {"lk", {OpenParen}, u"(", 3120, 3720, 735, 375, kWin, 20, nullptr, u"左括号"},
    {"rk", {CloseParen}, u")", 4080, 3720, 735, 375, kWin, 21, nullptr, u"右括号"},
    {"mi", {Power}, u"^幂", 3120, 4320, 735, 375, Face::Kai10, 22, nullptr, u"乘方"},
    {"jc", {Factorial}, u"n!", 4080, 4320, 735, 375, kWin, 23, nullptr, u"阶乘"},
    {"Cd1", {Pi}, u"π", 240, 4920, 735, 375, kSong, 24, nullptr, u"圆周率"},
    {"Cd2", {E}, u"e", 1200, 4920, 735, 375, kSong, 25, nullptr, u"自然常数"},
    {"Cd3", {StepBack}, u"上一步", 3360, 4920, 1095, 375, Face::Kai10, 26, kStepBackTip, u"上一步"},
    {"Text1", {}, nullptr, 240, 120, 5535, 2175, kWin, 27, nullptr, u"计算显示"},
    // Switches modes only; no press of the calculator.
    {"Cd4", {}, u"到计算状态", 4680, 4920, 1095, 375, kWin, 28, kModeTip, u"到计算状态"},
    {"hs", op(Function, Op::Atn), u"atn", 2160, 4920, 735, 375, kWin, 29, u"反正切函数,键盘输入a",
     u"反正切"},
};
} // namespace calculatorcontrols
