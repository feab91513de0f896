#include "calculator/keytable.h"

#include <QTest>

Q_DECLARE_METATYPE(KeyAction)

class TestKeyTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void translatesQtKeys_data();
    void translatesQtKeys();
};

void TestKeyTable::translatesQtKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<KeyAction>("action");
    QTest::addColumn<int>("index");
    const auto row = [](const char *name, int key, Qt::KeyboardModifiers mods, KeyAction action,
                        int index = 0) { QTest::newRow(name) << key << mods << action << index; };
    const Qt::KeyboardModifiers none, shift(Qt::ShiftModifier), keypad(Qt::KeypadModifier);
    row("shift+0 as )", Qt::Key_ParenRight, shift, KeyAction::CloseParen);
    row("shift+9 as (", Qt::Key_ParenLeft, shift, KeyAction::OpenParen);
    row("shift+8 as *", Qt::Key_Asterisk, shift, KeyAction::Operator, 10);
    row("keypad * with shift", Qt::Key_Asterisk, shift | keypad, KeyAction::None);
    row("shift+= as +", Qt::Key_Plus, shift, KeyAction::Operator, 5);
    row("=", Qt::Key_Equal, none, KeyAction::Equals);
    row("keypad +", Qt::Key_Plus, keypad, KeyAction::Operator, 5);
    row("shift+5 as %", Qt::Key_Percent, shift, KeyAction::None);
    row("ctrl+shift+5", Qt::Key_Percent, shift | Qt::ControlModifier, KeyAction::Digit, 5);
    row("alt+7", Qt::Key_7, Qt::AltModifier, KeyAction::Digit, 7);
    row("keypad 3", Qt::Key_3, keypad, KeyAction::Digit, 3);
    row("keypad separator", Qt::Key_Comma, keypad, KeyAction::Point);
    row("capital L", Qt::Key_L, shift, KeyAction::Function, 43);
    row("small l", Qt::Key_L, none, KeyAction::Function, 42);
    row("shift+s", Qt::Key_S, shift, KeyAction::None);
    row("up", Qt::Key_Up, none, KeyAction::StepBack);
    row("shift+up", Qt::Key_Up, shift, KeyAction::None);
    row("underscore is the minus key", Qt::Key_Underscore, Qt::ControlModifier | shift,
        KeyAction::Operator, 6);
    row("enter", Qt::Key_Return, none, KeyAction::None);
}

void TestKeyTable::translatesQtKeys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(KeyAction, action);
    QFETCH(int, index);
    const KeyCommand command = keyCommand(virtualKeyCode(key, modifiers), shiftState(modifiers));
    QCOMPARE(command.action, action);
    if (action != KeyAction::None)
        QCOMPARE(command.index, index);
}

QTEST_GUILESS_MAIN(TestKeyTable)
#include "tst_keytable.moc"
