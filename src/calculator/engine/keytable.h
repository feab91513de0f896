#pragma once

#include <QString>
#include <Qt>

// What a key does in calculation mode.
enum class KeyAction {
    None,
    Digit, // index: the digit
    Point,
    Pi,
    E,
    Function, // index: the operator code
    OpenParen,
    CloseParen,
    Operator, // index: the operator code
    Power,
    Factorial,
    Equals,
    StepBack,
};

struct KeyCommand {
    KeyAction action = KeyAction::None;
    int index = 0;
    bool operator==(const KeyCommand &) const = default;
};

// A key press as the user's keyboard layout delivered it.
struct KeyStroke {
    int key = 0; // a Qt::Key, as the layout names it at the current Shift level
    Qt::KeyboardModifiers modifiers;
    QString text;   // what the key typed; a control character or nothing while Ctrl is held
    int digit = -1; // the digit the key carries on any of its levels, -1 when it has none
};

// A key counts as the character it types: "+" is plus whether the layout types it with Shift or
// without. With Ctrl or Alt held, a key that carries a digit is that digit, and any other key
// the character it would type without them, letters as small letters. The up arrow steps back
// unless Shift alone is held; so does nothing else for keypad keys.
KeyCommand keyCommand(const KeyStroke &stroke);

// The key that presses `command` in calculation mode, as the user types it ("s" for sin, "L" for
// Ln, "(" and "↑"); empty when no key does. Read off keyCommand itself, so the two never differ.
QString keyName(KeyCommand command);
