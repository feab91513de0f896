#include "calculator/engine/keytable.h"

#include <QTest>

Q_DECLARE_METATYPE(KeyAction)

class TestKeyTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsKeysAsTheLayoutGivesThem_data();
    void readsKeysAsTheLayoutGivesThem();
};

// Each row is a key press as X11 delivers it on the layout the row names: the key as Qt names
// it, the text it types (a control character while Ctrl is held) and the digit the key carries.
void TestKeyTable::readsKeysAsTheLayoutGivesThem_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("digit");
    QTest::addColumn<KeyAction>("action");
    QTest::addColumn<int>("index");
    const auto row = [](const char *name, int key, Qt::KeyboardModifiers mods, const char *text,
                        int digit, KeyAction action, int index = 0) {
        QTest::newRow(name) << key << mods << QString::fromUtf8(text) << digit << action << index;
    };
    const Qt::KeyboardModifiers none, shift(Qt::ShiftModifier), ctrl(Qt::ControlModifier),
        alt(Qt::AltModifier), keypad(Qt::KeypadModifier);
    const KeyAction nothing = KeyAction::None;

    row("us: shift+0 types )", Qt::Key_ParenRight, shift, ")", 0, KeyAction::CloseParen);
    row("us: shift+9 types (", Qt::Key_ParenLeft, shift, "(", 9, KeyAction::OpenParen);
    row("us: shift+8 types *", Qt::Key_Asterisk, shift, "*", 8, KeyAction::Operator, 10);
    row("us: shift+6 types ^", Qt::Key_AsciiCircum, shift, "^", 6, KeyAction::Power);
    row("us: shift+1 types !", Qt::Key_Exclam, shift, "!", 1, KeyAction::Factorial);
    row("us: shift+= types +", Qt::Key_Plus, shift, "+", -1, KeyAction::Operator, 5);
    row("us: =", Qt::Key_Equal, none, "=", -1, KeyAction::Equals);
    row("us: shift+5 types %", Qt::Key_Percent, shift, "%", 5, nothing);
    row("us: shift+minus types _", Qt::Key_Underscore, shift, "_", -1, nothing);
    row("us: shift+slash types ?", Qt::Key_Question, shift, "?", -1, nothing);
    row("us: minus", Qt::Key_Minus, none, "-", -1, KeyAction::Operator, 6);
    row("us: slash", Qt::Key_Slash, none, "/", -1, KeyAction::Operator, 11);
    row("us: point", Qt::Key_Period, none, ".", -1, KeyAction::Point);
    row("us: comma", Qt::Key_Comma, none, ",", -1, nothing);
    row("us: keypad +", Qt::Key_Plus, keypad, "+", -1, KeyAction::Operator, 5);
    row("us: keypad * with shift", Qt::Key_Asterisk, shift | keypad, "*", -1, nothing);
    row("us: keypad 3", Qt::Key_3, keypad, "3", -1, KeyAction::Digit, 3);
    row("us: keypad separator", Qt::Key_Comma, keypad, ",", -1, KeyAction::Point);
    row("us: small l", Qt::Key_L, none, "l", -1, KeyAction::Function, 42);
    row("us: capital L", Qt::Key_L, shift, "L", -1, KeyAction::Function, 43);
    row("us: caps lock L", Qt::Key_L, none, "L", -1, KeyAction::Function, 43);
    row("us: capital S", Qt::Key_S, shift, "S", -1, nothing);
    row("us: p", Qt::Key_P, none, "p", -1, KeyAction::Pi);
    row("us: e", Qt::Key_E, none, "e", -1, KeyAction::E);
    row("us: up", Qt::Key_Up, none, "", -1, KeyAction::StepBack);
    row("us: ctrl+up", Qt::Key_Up, ctrl, "", -1, KeyAction::StepBack);
    row("us: shift+up", Qt::Key_Up, shift, "", -1, nothing);
    row("us: enter", Qt::Key_Return, none, "\r", -1, nothing);
    row("us: x", Qt::Key_X, none, "x", -1, nothing);
    row("us: ctrl+5", Qt::Key_5, ctrl, "\x1d", 5, KeyAction::Digit, 5);
    row("us: ctrl+shift+5", Qt::Key_Percent, ctrl | shift, "\x1d", 5, KeyAction::Digit, 5);
    row("us: alt+7", Qt::Key_7, alt, "7", 7, KeyAction::Digit, 7);
    row("us: ctrl+c is small", Qt::Key_C, ctrl, "\x03", -1, KeyAction::Function, 41);
    row("us: ctrl+shift+l is small", Qt::Key_L, ctrl | shift, "\x0c", -1, KeyAction::Function, 42);
    row("us: alt+shift+l is small", Qt::Key_L, alt | shift, "L", -1, KeyAction::Function, 42);
    row("us: ctrl+minus", Qt::Key_Minus, ctrl, "-", -1, KeyAction::Operator, 6);
    row("us: ctrl+shift+minus types _", Qt::Key_Underscore, ctrl | shift, "\x1f", -1, nothing);
    row("us: ctrl+v", Qt::Key_V, ctrl, "\x16", -1, nothing);

    row("fr: & is not 7", Qt::Key_Ampersand, none, "&", 1, nothing);
    row("fr: shift+& types 1", Qt::Key_1, shift, "1", 1, KeyAction::Digit, 1);
    row("fr: ctrl+& carries 1", Qt::Key_Ampersand, ctrl, "\x06", 1, KeyAction::Digit, 1);
    row("fr: ctrl+( carries 5", Qt::Key_ParenLeft, ctrl, "(", 5, KeyAction::Digit, 5);
    row("fr: (", Qt::Key_ParenLeft, none, "(", 5, KeyAction::OpenParen);
    row("fr: !", Qt::Key_Exclam, none, "!", -1, KeyAction::Factorial);
    row("fr: *", Qt::Key_Asterisk, none, "*", -1, KeyAction::Operator, 10);
    row("fr: -", Qt::Key_Minus, none, "-", 6, KeyAction::Operator, 6);
    row("fr: shift+; types .", Qt::Key_Period, shift, ".", -1, KeyAction::Point);
    row("fr: é", Qt::Key_Eacute, none, "é", 2, nothing);
    row("fr: dead circumflex", Qt::Key_Dead_Circumflex, none, "", -1, nothing);
    row("de: shift+8 types (", Qt::Key_ParenLeft, shift, "(", 8, KeyAction::OpenParen);
    row("de: shift+0 types =", Qt::Key_Equal, shift, "=", 0, KeyAction::Equals);
    row("de: altgr+7 types {", Qt::Key_BraceLeft, Qt::GroupSwitchModifier, "{", 7, nothing);
}

void TestKeyTable::readsKeysAsTheLayoutGivesThem()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, text);
    QFETCH(int, digit);
    QFETCH(KeyAction, action);
    QFETCH(int, index);
    const KeyCommand command = keyCommand({key, modifiers, text, digit});
    QCOMPARE(command.action, action);
    if (action != KeyAction::None)
        QCOMPARE(command.index, index);
}

QTEST_GUILESS_MAIN(TestKeyTable)
#include "tst_keytable.moc"
