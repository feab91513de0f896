#pragma once

#include "calculator/engine/calculator.h"

#include <QStringList>
#include <QTest>

// The key whose press appends `text`: a digit, ".", "π", "e", an operator or function as the
// display shows it, "(", ")", "^", "!" or "=", and "back" for going back a step.
inline KeyCommand commandFor(const QString &text)
{
    using enum KeyAction;
    if (text == u"back")
        return {StepBack};
    if (text.size() == 1 && text[0].isDigit())
        return {Digit, text[0].digitValue()};
    QList<KeyCommand> keys = {{Point},      {Pi},    {E},         {OpenParen},
                              {CloseParen}, {Power}, {Factorial}, {Equals}};
    for (const Op op : {Op::Add, Op::Sub, Op::Mul, Op::Div})
        keys.append({Operator, int(op)});
    for (const Op op : {Op::Sin, Op::Cos, Op::Lg, Op::Ln, Op::Atn})
        keys.append({Function, int(op)});
    for (const KeyCommand &key : keys) {
        if (pressText(key) == text)
            return key;
    }
    qFatal("unknown key %s", qPrintable(text));
}

// Drives the engine like a user: "1 2 + sin ( 3 ) = back" presses the keys one after another.
// Returns the last result that was not plain success.
inline PressResult pressKeys(Calculator &calc, const QString &keys)
{
    PressResult last;
    for (const QString &t : keys.split(u' ', Qt::SkipEmptyParts)) {
        if (const PressResult result = calc.press(commandFor(t)); result != PressResult())
            last = result;
    }
    return last;
}

// How QCOMPARE shows a result.
inline char *toString(const PressResult &result)
{
    QString text = QStringLiteral("fault %1").arg(int(result.fault));
    if (result.history)
        text += QStringLiteral(", history problem %1 at \"%2\": %3")
                    .arg(int(result.history->problem))
                    .arg(result.history->path, result.history->reason);
    return QTest::toString(text);
}
