#include "calculator/engine/calculator.h"
#include "calculator/engine/staterecord.h"
#include "presses.h"

#include <QTest>

// A fresh calculator as the window opens it: the display holds one blank.
struct Session {
    MemoryStepStore steps;
    StringDisplay display{QStringLiteral(" ")};
    Calculator calc{display, steps};
};

// Everything a press may change, as one comparable text.
static QString stateText(const Calculator &calc, const CalcDisplay &display)
{
    const CalcState &s = calc.state();
    QString out = QStringLiteral("numlen=%1 pointset=%2 parens=%3 entry='%4' nums=")
                      .arg(s.numlen)
                      .arg(s.pointset)
                      .arg(s.parens)
                      .arg(s.pendingText());
    for (int k = 1; k <= s.numtop; ++k)
        out += QString::number(s.nums[k], 'g', 17) + u';';
    out += QStringLiteral(" ops=");
    for (int k = 1; k <= s.optop; ++k)
        out += QString::number(s.ops[k]) + u';';
    return out + QStringLiteral(" display='") + display.text() + u'\'';
}

class TestCalculator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void evaluates_data();
    void evaluates();
    void faultUndoesThePress_data();
    void faultUndoesThePress();
    void limits();
    void olderDocumentStartsAfresh();
    void countersResetAfterEquals();
    void documentRoundTrip_data();
    void documentRoundTrip();
    void newDocumentEmptiesTheDisplay();
};

void TestCalculator::evaluates_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("display");
    const auto row = [](const char *name, const char *keys, const char *line) {
        QTest::newRow(name) << QString::fromUtf8(keys) << QString::fromUtf8(line);
    };
    row("single number", "5 =", " 5= 5\r\n ");
    row("negative result", "0 - 5 =", " 0-5=-5\r\n ");
    row("open paren closed by equals", "2 * ( 3 + 4 =", " 2*(3+4= 14\r\n ");
    row("factorial inside lg", "lg ( 5 ! / 1 2 ) =", " lg(5!/12)= 1\r\n ");
    row("functions bind before power", "sin 1 ^ 2 + cos 1 ^ 2 =", " sin1^2+cos1^2= 1\r\n ");
    row("atn", "4 * atn 1 =", " 4*atn1= 3.14159265358979\r\n ");
    row("minus groups from the left", "8 - 3 - 2 =", " 8-3-2= 3\r\n ");
    row("plus after minus", "1 0 - 2 + 3 =", " 10-2+3= 11\r\n ");
    row("divide groups from the left", "8 / 4 / 2 =", " 8/4/2= 1\r\n ");
    row("mixed levels", "1 0 - 2 * 3 + 1 =", " 10-2*3+1= 5\r\n ");
    row("leading minus", "- 5 + 3 =", " -5+3=-2\r\n ");
    row("power groups from the right", "2 ^ 3 ^ 2 =", " 2^3^2= 512\r\n ");
    row("product waits", "2 + 3 * 4 =", " 2+3*4= 14\r\n ");
    row("product applied by plus", "2 * 3 + 4 =", " 2*3+4= 10\r\n ");
    row("equals without operand ignored", "5 + =", " 5+");
    row("minus after paren", "2 * ( - 3 ) =", " 2*(-3)=-6\r\n ");
    row("minus after power ignored", "2 ^ - 1", " 2^1");
    row("negative exponent in parens", "2 ^ ( - 1 ) =", " 2^(-1)= .5\r\n ");
    row("minus after function ignored", "sin - 1", " sin1");
    row("paren ignored while number pending", "5 (", " 5");
    row("function ignored while number pending", "5 sin", " 5");
    row("first group cannot close", "( 5 )", " (5");
    row("group after plus", "1 + ( 5 ) =", " 1+(5)= 6\r\n ");
    row("digit after factorial", "3 ! 5 =", " 3!5= 65\r\n ");
    row("0!", "0 ! =", " 0!= 0\r\n ");
    row("3.5!", "3 . 5 ! =", " 3.5!= 7\r\n ");
    row("5!", "5 ! =", " 5!= 120\r\n ");
    row("170!", "1 7 0 ! =", " 170!= 7.257415615308E+306\r\n ");
    row("factorial of a group", "1 + ( 3 ) ! =", " 1+(3)!= 7\r\n ");
    row("factorial of a group then plus", "2 * ( 3 ) ! + 1 =", " 2*(3)!+1= 13\r\n ");
    row("factorial of an inner group", "1 + ( 2 + ( 3 ) ! ) * 4 =", " 1+(2+(3)!)*4= 33\r\n ");
    row("lg of a power of ten is exact", "1 + ( lg 1 0 0 0 ) ! =", " 1+(lg1000)!= 7\r\n ");
    row("pi replaces the entry", "1 2 π =", " 12π= 3.14159265358979\r\n ");
    row("digit after pi", "π 5 =", " π5= 3.14159265358979\r\n ");
    row("e", "e =", " e= 2.71828182845905\r\n ");
    row("second point ignored", "1 . 2 . =", " 1.2= 1.2\r\n ");
    row("two lines", "1 + 2 = 4 * 5 =", " 1+2= 3\r\n 4*5= 20\r\n ");
    row("Ln", "Ln e =", " Lne= 1\r\n ");
    row("nested groups", "2 * ( 3 + ( 4 - 1 ) * 2 ) =", " 2*(3+(4-1)*2)= 18\r\n ");
}

void TestCalculator::evaluates()
{
    QFETCH(QString, keys);
    QFETCH(QString, display);
    Session s;
    QCOMPARE(pressKeys(s.calc, keys), PressResult());
    QCOMPARE(s.display.text(), display);
}

void TestCalculator::faultUndoesThePress_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("fault");
    const auto row = [](const char *name, const char *before, const char *key, Fault fault) {
        QTest::newRow(name) << QString::fromUtf8(before) << QString::fromUtf8(key) << int(fault);
    };
    row("divide by zero", "1 / 0", "=", Fault::DivideByZero);
    row("divide by a zero group", "1 + 1 / ( 1 - 1 )", "+", Fault::DivideByZero);
    row("lg of zero", "lg 0", "=", Fault::LogDomain);
    row("Ln of a negative", "Ln ( 0 - 1 )", "*", Fault::LogDomain);
    row("zero to a negative power", "0 ^ ( 0 - 1 )", "=", Fault::ZeroPower);
    row("root of a negative", "( 0 - 8 ) ^ . 5", "=", Fault::PowerDomain);
    row("power overflows", "9 9 9 ^ 9 9 9", "=", Fault::Overflow);
    row("product overflows", "1 0 ^ 3 0 0 * 1 0 ^ 3 0 0", "=", Fault::Overflow);
    row("171!", "1 7 1", "!", Fault::FactorialRange);
    row("factorial beyond 16 bits", "3 2 7 6 8", "!", Fault::FactorialRange);
    row("factorial of a group beyond 16 bits", "1 + ( 3 2 7 6 8 )", "!", Fault::FactorialRange);
    row("entry beyond a double", "1 7 0 ! 5", "+", Fault::Overflow);
}

// A faulting press says why and leaves stacks, counters, entry and display as they were.
void TestCalculator::faultUndoesThePress()
{
    QFETCH(QString, before);
    QFETCH(QString, key);
    QFETCH(int, fault);
    Session s;
    QCOMPARE(pressKeys(s.calc, before), PressResult());
    const QString expected = stateText(s.calc, s.display);
    const qint32 steps = s.calc.state().stepcount;
    QCOMPARE(pressKeys(s.calc, key), PressResult{Fault(fault)});
    QCOMPARE(stateText(s.calc, s.display), expected);
    // "=" keeps the step it recorded before it faulted.
    QCOMPARE(s.calc.state().stepcount, steps + (key == u"=" ? 1 : 0));
}

void TestCalculator::limits()
{
    Session s;
    const QString hundredDigits = QStringLiteral("1 ").repeated(100);
    QCOMPARE(pressKeys(s.calc, hundredDigits), PressResult());
    QString before = stateText(s.calc, s.display);
    QCOMPARE(pressKeys(s.calc, QStringLiteral("1")), PressResult{Fault::EntryFull});
    QCOMPARE(pressKeys(s.calc, QStringLiteral(".")), PressResult{Fault::EntryFull});
    QCOMPARE(stateText(s.calc, s.display), before);

    Session t;
    QCOMPARE(pressKeys(t.calc, QStringLiteral("( ").repeated(100)), PressResult());
    before = stateText(t.calc, t.display);
    QCOMPARE(pressKeys(t.calc, QStringLiteral("(")), PressResult{Fault::OperatorsFull});
    QCOMPARE(pressKeys(t.calc, QStringLiteral("sin")), PressResult{Fault::OperatorsFull});
    QCOMPARE(stateText(t.calc, t.display), before);
}

// An older document whose stacks lost their even entries opens its text only; the calculation
// starts afresh instead of going on with whatever the lost entries held.
void TestCalculator::olderDocumentStartsAfresh()
{
    Session s;
    pressKeys(s.calc, QStringLiteral("1 +"));
    const QByteArray older = "\" 1+2*3^\",3,0,2,0,0,\"\",#FALSE#,4\r\n1\r\n3\r\n5\r\n" +
                             QByteArray("\"c:\\windows\\temp\\ 4\"\r\n").repeated(10);
    const staterecord::ReadResult read = s.calc.openDocument(older);
    QVERIFY(read.ok());
    QVERIFY(read.calculationDropped);
    QCOMPARE(stateText(s.calc, s.display),
             QStringLiteral("numlen=0 pointset=0 parens=0 entry='' nums= ops= display=' 1+2*3^'"));
    QCOMPARE(s.calc.state().stepcount, 4);
    QVERIFY(!s.calc.state().changed);
    pressKeys(s.calc, QStringLiteral("2 ="));
    QCOMPARE(s.display.text(), QStringLiteral(" 1+2*3^2= 2\r\n "));
}

void TestCalculator::countersResetAfterEquals()
{
    Session s;
    pressKeys(s.calc, QStringLiteral("( ( 1 . 5 + 2 ="));
    const CalcState &st = s.calc.state();
    QCOMPARE(QList<int>({st.numtop, st.optop, st.numlen, st.parens, st.pointset}),
             QList<int>({0, 0, 0, 0, 0}));
}

void TestCalculator::documentRoundTrip_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("edited");
    QTest::newRow("pending entry") << "1 + 2 * ( 3 . 5"
                                   << "";
    QTest::newRow("placed pi") << "2 ^ π"
                               << "";
    QTest::newRow("line breaks and quotes") << "1 + 2 ="
                                            << "\r\nnote \"q\" \"\"\r\n,x";
    QTest::newRow("text ending in a quote") << ""
                                            << "say \"";
    QTest::newRow("non-Latin text") << "sin 1 ="
                                    << "注释 π";
}

// A saved document opens into the same state, and the calculation goes on identically.
void TestCalculator::documentRoundTrip()
{
    QFETCH(QString, keys);
    QFETCH(QString, edited);
    Session s;
    pressKeys(s.calc, keys);
    s.display.append(edited);
    const QByteArray record = s.calc.documentRecord();

    Session t;
    QCOMPARE(t.calc.openDocument(record), staterecord::ReadResult());
    QCOMPARE(stateText(t.calc, t.display), stateText(s.calc, s.display));
    QCOMPARE(t.calc.state().stepcount, s.calc.state().stepcount);
    QVERIFY(!t.calc.state().changed);
    pressKeys(s.calc, QStringLiteral("1 ) + 4 ="));
    pressKeys(t.calc, QStringLiteral("1 ) + 4 ="));
    QCOMPARE(t.display.text(), s.display.text());
}

void TestCalculator::newDocumentEmptiesTheDisplay()
{
    Session s;
    pressKeys(s.calc, QStringLiteral("1 + 2"));
    s.calc.setDocName(QStringLiteral("a.txt"));
    s.calc.resetDocument();
    QCOMPARE(s.display.text(), QString());
    QCOMPARE(s.calc.state().docname, QString());
    // With no blank to stand after, a minus is no unary minus and is ignored.
    pressKeys(s.calc, QStringLiteral("- 5 ="));
    QCOMPARE(s.display.text(), QStringLiteral("5= 5\r\n "));
}

QTEST_GUILESS_MAIN(TestCalculator)
#include "tst_calculator.moc"
