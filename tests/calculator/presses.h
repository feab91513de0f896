#pragma once

#include "calculator/calculator.h"

#include <QStringList>

// Drives the engine like a user: "1 2 + sin ( 3 ) = back" presses the keys one after another.
// Returns the last message a press gave, empty when none did.
inline QString pressKeys(Calculator &calc, const QString &keys)
{
    QString message;
    const QStringList tokens = keys.split(u' ', Qt::SkipEmptyParts);
    for (const QString &t : tokens) {
        QString m;
        if (t.size() == 1 && t[0].isDigit())
            m = calc.pressDigit(t[0].digitValue());
        else if (t == u".")
            m = calc.pressPoint();
        else if (t == u"π")
            m = calc.pressPi();
        else if (t == u"e")
            m = calc.pressE();
        else if (t == u"(")
            m = calc.pressOpenParen();
        else if (t == u")")
            m = calc.pressCloseParen();
        else if (t == u"^")
            m = calc.pressPower();
        else if (t == u"!")
            m = calc.pressFactorial();
        else if (t == u"=")
            m = calc.pressEquals();
        else if (t == u"back")
            calc.stepBack();
        else if (t == u"+" || t == u"-" || t == u"*" || t == u"/")
            m = calc.pressOperator(t == u"+"   ? Op::Add
                                   : t == u"-" ? Op::Sub
                                   : t == u"*" ? Op::Mul
                                               : Op::Div);
        else if (t == u"sin" || t == u"cos" || t == u"lg" || t == u"Ln" || t == u"atn")
            m = calc.pressFunction(t == u"sin"   ? Op::Sin
                                   : t == u"cos" ? Op::Cos
                                   : t == u"lg"  ? Op::Lg
                                   : t == u"Ln"  ? Op::Ln
                                                 : Op::Atn);
        else
            qFatal("unknown key %s", qPrintable(t));
        if (!m.isEmpty())
            message = m;
    }
    return message;
}
