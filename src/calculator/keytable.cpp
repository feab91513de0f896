#include "keytable.h"

#include "calcstate.h"

namespace
{

constexpr int kUp = 38;
constexpr int kKeypad0 = 96;
constexpr int kKeypadMultiply = 106;
constexpr int kKeypadAdd = 107;
constexpr int kKeypadSubtract = 109;
constexpr int kKeypadPoint = 110;
constexpr int kKeypadDivide = 111;
constexpr int kEquals = 187;
constexpr int kMinus = 189;
constexpr int kPoint = 190;
constexpr int kSlash = 191;

KeyCommand op(KeyAction action, Op code)
{
    return {action, int(code)};
}

KeyCommand shiftedCommand(int keyCode)
{
    switch (keyCode) {
    case '0':
        return {KeyAction::CloseParen};
    case '1':
        return {KeyAction::Factorial};
    case '6':
        return {KeyAction::Power};
    case '8':
        return op(KeyAction::Operator, Op::Mul);
    case '9':
        return {KeyAction::OpenParen};
    case 'L':
        return op(KeyAction::Function, Op::Ln);
    case kEquals:
        return op(KeyAction::Operator, Op::Add);
    default:
        return {};
    }
}

KeyCommand plainCommand(int keyCode)
{
    if (keyCode >= '0' && keyCode <= '9')
        return {KeyAction::Digit, keyCode - '0'};
    if (keyCode >= kKeypad0 && keyCode <= kKeypad0 + 9)
        return {KeyAction::Digit, keyCode - kKeypad0};
    switch (keyCode) {
    case kUp:
        return {KeyAction::StepBack};
    case 'A':
        return op(KeyAction::Function, Op::Atn);
    case 'C':
        return op(KeyAction::Function, Op::Cos);
    case 'E':
        return {KeyAction::E};
    case 'L':
        return op(KeyAction::Function, Op::Lg);
    case 'P':
        return {KeyAction::Pi};
    case 'S':
        return op(KeyAction::Function, Op::Sin);
    case kKeypadMultiply:
        return op(KeyAction::Operator, Op::Mul);
    case kKeypadAdd:
        return op(KeyAction::Operator, Op::Add);
    case kKeypadSubtract:
    case kMinus:
        return op(KeyAction::Operator, Op::Sub);
    case kKeypadPoint:
    case kPoint:
        return {KeyAction::Point};
    case kKeypadDivide:
    case kSlash:
        return op(KeyAction::Operator, Op::Div);
    case kEquals:
        return {KeyAction::Equals};
    default:
        return {};
    }
}

} // namespace

KeyCommand keyCommand(int keyCode, int shift)
{
    return shift == 1 ? shiftedCommand(keyCode) : plainCommand(keyCode);
}

int shiftState(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

int virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::KeypadModifier) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return kKeypad0 + (qtKey - Qt::Key_0);
        switch (qtKey) {
        case Qt::Key_Asterisk:
            return kKeypadMultiply;
        case Qt::Key_Plus:
            return kKeypadAdd;
        case Qt::Key_Minus:
            return kKeypadSubtract;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return kKeypadPoint;
        case Qt::Key_Slash:
            return kKeypadDivide;
        case Qt::Key_Up:
            return kUp;
        default:
            return 0;
        }
    }
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey; // Qt's codes for these are their ASCII capitals and digits
    // The shifted symbols of the US keyboard belong to the key that carries them.
    switch (qtKey) {
    case Qt::Key_Up:
        return kUp;
    case Qt::Key_ParenRight:
        return '0';
    case Qt::Key_Exclam:
        return '1';
    case Qt::Key_At:
        return '2';
    case Qt::Key_NumberSign:
        return '3';
    case Qt::Key_Dollar:
        return '4';
    case Qt::Key_Percent:
        return '5';
    case Qt::Key_AsciiCircum:
        return '6';
    case Qt::Key_Ampersand:
        return '7';
    case Qt::Key_Asterisk:
        return '8';
    case Qt::Key_ParenLeft:
        return '9';
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return kEquals;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return kMinus;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return kPoint;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return kSlash;
    default:
        return 0;
    }
}
