#include "calculator/engine/keytable.h"

#include "calculator/engine/calcstate.h"

namespace
{

KeyCommand op(KeyAction action, Op code)
{
    return {action, int(code)};
}

KeyCommand characterCommand(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return {KeyAction::Digit, c - u'0'};
    switch (c) {
    case u'.':
        return {KeyAction::Point};
    case u'p':
        return {KeyAction::Pi};
    case u'e':
        return {KeyAction::E};
    case u's':
        return op(KeyAction::Function, Op::Sin);
    case u'c':
        return op(KeyAction::Function, Op::Cos);
    case u'l':
        return op(KeyAction::Function, Op::Lg);
    case u'L':
        return op(KeyAction::Function, Op::Ln);
    case u'a':
        return op(KeyAction::Function, Op::Atn);
    case u'(':
        return {KeyAction::OpenParen};
    case u')':
        return {KeyAction::CloseParen};
    case u'+':
        return op(KeyAction::Operator, Op::Add);
    case u'-':
        return op(KeyAction::Operator, Op::Sub);
    case u'*':
        return op(KeyAction::Operator, Op::Mul);
    case u'/':
        return op(KeyAction::Operator, Op::Div);
    case u'^':
        return {KeyAction::Power};
    case u'!':
        return {KeyAction::Factorial};
    case u'=':
        return {KeyAction::Equals};
    default:
        return {};
    }
}

} // namespace

KeyCommand keyCommand(const KeyStroke &stroke)
{
    const Qt::KeyboardModifiers held =
        stroke.modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool shiftAlone = held == Qt::ShiftModifier;
    const bool keypad = stroke.modifiers & Qt::KeypadModifier;
    if (stroke.key == Qt::Key_Up)
        return shiftAlone ? KeyCommand() : KeyCommand{KeyAction::StepBack};
    if (keypad && shiftAlone)
        return {};

    char16_t c = 0;
    if (held & (Qt::ControlModifier | Qt::AltModifier)) {
        // Ctrl makes the text a control character, so the key itself tells what it types; Qt
        // names letters by their capitals.
        if (stroke.digit >= 0 && stroke.digit <= 9)
            return {KeyAction::Digit, stroke.digit};
        if (stroke.key < 0x20 || stroke.key > 0x7e)
            return {};
        c = QChar(stroke.key).toLower().unicode();
    } else {
        if (stroke.text.size() != 1)
            return {};
        c = stroke.text[0].unicode();
    }
    // The keypad's decimal key types a comma on layouts that write decimal commas.
    if (keypad && c == u',')
        c = u'.';
    return characterCommand(c);
}

QString keyName(KeyCommand command)
{
    if (command.action == KeyAction::None)
        return {};
    if (keyCommand({Qt::Key_Up, Qt::NoModifier, QString(), -1}) == command)
        return QStringLiteral("↑");
    for (char16_t c = u'!'; c <= u'~'; ++c) {
        const QChar typed(c);
        if (keyCommand({typed.toUpper().unicode(), Qt::NoModifier, typed, -1}) == command)
            return typed;
    }
    return {};
}
