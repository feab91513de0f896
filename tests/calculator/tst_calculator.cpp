#include "calculator/calculator.h"
#include "calculator/staterecord.h"
#include "presses.h"
#include "support/envguard.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A fresh calculator as the window opens it: the display holds one blank.
struct Session {
    QTemporaryDir dir;
    StringDisplay display{QStringLiteral(" ")};
    Calculator calc{display, dir.path() + QStringLiteral("/steps/")};
};

// Everything a press may change, as one comparable text.
static QString stateText(const Calculator &calc, const CalcDisplay &display)
{
    const CalcState &s = calc.state();
    QString out = QStringLiteral("numlen=%1 pointset=%2 parens=%3 entry='%4' nums=")
                      .arg(s.numlen)
                      .arg(s.pointset)
                      .arg(s.parens)
                      .arg(s.numtext[s.numlen]);
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
    void countersResetAfterEquals();
    void stepRecordExample();
    void stepBackWalksRecordedSteps();
    void stepBackAcrossTheSlotWrap();
    void stepBackRestoresEveryStackEntry();
    void stepBackRefusesForeignOrDamagedSlots();
    void historyWriteFailureIsReportedOnce();
    void stepFolderIsPrivate();
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
    QCOMPARE(pressKeys(s.calc, keys), QString());
    QCOMPARE(s.display.text(), display);
}

void TestCalculator::faultUndoesThePress_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("message");
    const auto row = [](const char *name, const char *before, const char *key, const char *msg) {
        QTest::newRow(name) << QString::fromUtf8(before) << QString::fromUtf8(key)
                            << QString::fromUtf8(msg);
    };
    row("divide by zero", "1 / 0", "=", "算式错误：除数为零");
    row("divide by a zero group", "1 + 1 / ( 1 - 1 )", "+", "算式错误：除数为零");
    row("lg of zero", "lg 0", "=", "算式错误：对数的真数必须大于零");
    row("Ln of a negative", "Ln ( 0 - 1 )", "*", "算式错误：对数的真数必须大于零");
    row("zero to a negative power", "0 ^ ( 0 - 1 )", "=", "算式错误：零不能做负数次幂的底数");
    row("root of a negative", "( 0 - 8 ) ^ . 5", "=", "算式错误：负数不能开非整数次方");
    row("power overflows", "9 9 9 ^ 9 9 9", "=", "算式错误：数值溢出");
    row("product overflows", "1 0 ^ 3 0 0 * 1 0 ^ 3 0 0", "=", "算式错误：数值溢出");
    row("171!", "1 7 1", "!", "算式错误：阶乘超出范围");
    row("factorial beyond 16 bits", "3 2 7 6 8", "!", "算式错误：阶乘超出范围");
    row("entry beyond a double", "1 7 0 ! 5", "+", "算式错误：数值溢出");
}

// A faulting press says why and leaves stacks, counters, entry and display as they were.
void TestCalculator::faultUndoesThePress()
{
    QFETCH(QString, before);
    QFETCH(QString, key);
    QFETCH(QString, message);
    Session s;
    QCOMPARE(pressKeys(s.calc, before), QString());
    const QString expected = stateText(s.calc, s.display);
    const qint32 steps = s.calc.state().stepcount;
    QCOMPARE(pressKeys(s.calc, key), message);
    QCOMPARE(stateText(s.calc, s.display), expected);
    // "=" keeps the step it recorded before it faulted.
    QCOMPARE(s.calc.state().stepcount, steps + (key == u"=" ? 1 : 0));
}

void TestCalculator::limits()
{
    Session s;
    const QString hundredDigits = QStringLiteral("1 ").repeated(100);
    QCOMPARE(pressKeys(s.calc, hundredDigits), QString());
    QString before = stateText(s.calc, s.display);
    QCOMPARE(s.calc.pressDigit(1), QStringLiteral("一个数最多输入100个字符"));
    QCOMPARE(s.calc.pressPoint(), QStringLiteral("一个数最多输入100个字符"));
    QCOMPARE(stateText(s.calc, s.display), before);

    Session t;
    QCOMPARE(pressKeys(t.calc, QStringLiteral("( ").repeated(100)), QString());
    before = stateText(t.calc, t.display);
    QCOMPARE(t.calc.pressOpenParen(), QStringLiteral("算式太长：最多100个运算符"));
    QCOMPARE(t.calc.pressFunction(Op::Sin), QStringLiteral("算式太长：最多100个运算符"));
    QCOMPARE(stateText(t.calc, t.display), before);
}

void TestCalculator::countersResetAfterEquals()
{
    Session s;
    pressKeys(s.calc, QStringLiteral("( ( 1 . 5 + 2 ="));
    const CalcState &st = s.calc.state();
    QCOMPARE(QList<int>({st.numtop, st.optop, st.numlen, st.parens, st.pointset}),
             QList<int>({0, 0, 0, 0, 0}));
}

void TestCalculator::stepRecordExample()
{
    Session s;
    pressKeys(s.calc, QStringLiteral("1 +"));
    QFile slot(s.calc.slotFile(1));
    QVERIFY(slot.open(QIODevice::ReadOnly));
    const QByteArray name = "\"" + s.calc.slotFile(1).toUtf8() + "\"\r\n";
    QCOMPARE(slot.readAll(), "\" 1+\",1,0,1,0,0,\"\",#TRUE#,1\r\n1\r\n5\r\n" + name.repeated(10));
}

void TestCalculator::stepBackWalksRecordedSteps()
{
    Session s;
    pressKeys(s.calc, QStringLiteral("1 + 2 + 3 + 4 + 5 + 6 7"));
    for (const char *shown : {" 1+2+3+4+5+", " 1+2+3+4+", " 1+2+3+", " 1+2+"}) {
        QVERIFY(s.calc.stepBack());
        QCOMPARE(s.display.text(), QString::fromLatin1(shown));
    }
    QCOMPARE(s.calc.state().stepcount, 1);
    QVERIFY(!s.calc.stepBack());
    QCOMPARE(s.display.text(), QStringLiteral(" 1+2+"));
    // The calculation goes on from the restored state.
    pressKeys(s.calc, QStringLiteral("9 ="));
    QCOMPARE(s.display.text(), QStringLiteral(" 1+2+9= 12\r\n "));
}

void TestCalculator::stepBackAcrossTheSlotWrap()
{
    Session s;
    pressKeys(s.calc, QStringLiteral("1 + ").repeated(25));
    for (int k = 1; k <= 20; ++k) {
        QVERIFY2(s.calc.stepBack(), qPrintable(QString::number(k)));
        QCOMPARE(s.display.text(), u' ' + QStringLiteral("1+").repeated(26 - k));
    }
    QCOMPARE(s.calc.state().stepcount, 5);
    // Slot 5 now holds step 25: going back never cycles forward.
    QVERIFY(!s.calc.stepBack());
    QCOMPARE(s.calc.state().stepcount, 5);
}

void TestCalculator::stepBackRestoresEveryStackEntry()
{
    Session s;
    // The second number on the stack changes between the two records read back.
    pressKeys(s.calc, QStringLiteral("1 + 2 * 3 * 5 * back back 1 ="));
    QCOMPARE(s.display.text(), QStringLiteral(" 1+2*3*1= 7\r\n "));
}

void TestCalculator::stepBackRefusesForeignOrDamagedSlots()
{
    Session s;
    pressKeys(s.calc, QStringLiteral("1 + 2 + 3 +"));
    QFile slot(s.calc.slotFile(3));
    QVERIFY(slot.open(QIODevice::WriteOnly | QIODevice::Truncate));
    slot.write("\" 1+2+3+\",3,0,1,0,0,\"\",#TRUE#,3\r\n1\r\n");
    slot.close();
    const QString before = stateText(s.calc, s.display);
    QVERIFY(!s.calc.stepBack());
    QCOMPARE(stateText(s.calc, s.display), before);
    QCOMPARE(s.calc.state().stepcount, 3);

    // A second run over the same folder: slot 3 holds the first run's step 3.
    StringDisplay display(QStringLiteral(" "));
    Calculator second(display, s.dir.path() + QStringLiteral("/steps/"));
    pressKeys(second, QStringLiteral("7 +"));
    Session other;
    pressKeys(other.calc, QStringLiteral("1 + 2 + 3 +"));
    QCOMPARE(second.openDocument(other.calc.documentRecord()), QString());
    QVERIFY(!second.stepBack());
}

void TestCalculator::historyWriteFailureIsReportedOnce()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    StringDisplay display(QStringLiteral(" "));
    Calculator calc(display, dir.filePath(QStringLiteral("file/steps/")));
    QVERIFY(calc.pressDigit(1).isEmpty());
    QVERIFY(calc.pressOperator(Op::Add).startsWith(QStringLiteral("无法记录计算步骤")));
    QCOMPARE(pressKeys(calc, QStringLiteral("2 + 3 =")), QString());
    QCOMPARE(display.text(), QStringLiteral(" 1+2+3= 6\r\n "));
    QVERIFY(!calc.stepBack());
}

void TestCalculator::stepFolderIsPrivate()
{
    QTemporaryDir cache;
    const EnvGuard env("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    StringDisplay display(QStringLiteral(" "));
    Calculator calc(display, Calculator::defaultStepFolder());
    pressKeys(calc, QStringLiteral("1 +"));
    const QString folder = cache.path() + QStringLiteral("/yaoshi/steps/");
    QCOMPARE(calc.slotFile(1), folder + QStringLiteral(" 1"));
    QVERIFY(QFile::exists(calc.slotFile(1)));
    // Owner, group and others: only the owner may enter.
    QCOMPARE(QFile::permissions(folder) & 0x7077,
             QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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
    QCOMPARE(t.calc.openDocument(record), QString());
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
