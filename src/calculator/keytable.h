#pragma once

#include <Qt>

// What a key does in calculation mode, in the virtual-key codes and Shift/Ctrl/Alt bits
// (1, 2, 4) of the keyboard tables the calculator follows.
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

KeyCommand keyCommand(int keyCode, int shift);

// A Qt key event as its virtual-key code on a US keyboard, where Shift+0 arrives as ")" and the
// numeric keypad carries the keypad modifier; 0 for keys the tables never name.
int virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
int shiftState(Qt::KeyboardModifiers modifiers);
