#include "core/numtext.h"
#include "plotter/engine/equation.h"

#include <QTest>

#include <cmath>

class TestEquation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsegroups_data();
    void parsegroups();
    void refusesWhatCannotBeCut_data();
    void refusesWhatCannotBeCut();
    void evaluates_data();
    void evaluates();
};

void TestEquation::parsegroups_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("groups");
    const auto row = [](const char *name, const char *text, QStringList groups) {
        groups.prepend(QString());
        QTest::newRow(name) << QString::fromUtf8(text) << groups;
    };
    row("variable", "x", {"x"});
    row("no parentheses", "30 * sin x", {"30 * sin x"});
    row("square", "( x + 20 ) ^ 2", {"x + 20", "y1 ^ 2"});
    row("two groups", "( x + 1 ) * ( x - 1 )", {"x + 1", "x - 1", "y1 * y2"});
    row("function arguments", "sin ( 2 * x ) + lg ( x )", {"2 * x", "x", "sin y1 + lg y2"});
    row("missing blanks", "(x + 20)", {" + 2", "y1"});
    row("surplus close dropped", "x )", {"x"});
    row("unclosed open", "( x + 1", {"x + 1"});
    row("two blanks in parens", "(  )", {"", "y1"});
    row("case kept", "Sin ( X )", {"X", "Sin y1"});
    row("blanks only", "   ", {"   "});
    row("eleven groups",
        "( 1 ) + ( 2 ) + ( 3 ) + ( 4 ) + ( 5 ) + ( 6 ) + ( 7 ) + ( 8 ) + ( 9 ) + ( 10 )",
        {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10",
         "y1 + y2 + y3 + y4 + y5 + y6 + y7 + y8 + y9 + y10"});
    row("nested", "( ( x ) )", {"x", "y1", "y2"});
    row("one character without blanks", "(x)", {"x", "y1"});
    row("one character in a sum", "2 * (x) + 1", {"x", "2 * y1 + 1"});
}

void TestEquation::parsegroups()
{
    QFETCH(QString, text);
    QFETCH(QStringList, groups);
    QCOMPARE(::parsegroups(text), (GroupList{GroupFault::None, groups}));
}

void TestEquation::refusesWhatCannotBeCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("fault");
    const auto row = [](const char *text, GroupFault fault) {
        QTest::newRow(text) << QString::fromLatin1(text) << int(fault);
    };
    row("( )", GroupFault::EmptyGroup);
    row("()", GroupFault::EmptyGroup);
    row("x * ( ( ) + 1 )", GroupFault::EmptyGroup);
    row("( ( x + 1", GroupFault::Unbalanced);
    row("x ) + 1 ) + ( 2", GroupFault::Unbalanced);
    row("( x ) )", GroupFault::None); // the surplus ")" is dropped
    row("( ( ( (", GroupFault::Unbalanced);
    row(")", GroupFault::Unbalanced);
    row("x + (", GroupFault::Unbalanced);
    // With the whole text, kMaxGroups groups.
    const QString many = QStringLiteral("( x ) ").repeated(kMaxGroups - 1);
    QTest::newRow("as many groups as fit") << many << int(GroupFault::None);
    QTest::newRow("too many groups")
        << many + QStringLiteral("( x )") << int(GroupFault::TooManyGroups);
}

void TestEquation::refusesWhatCannotBeCut()
{
    QFETCH(QString, text);
    QFETCH(int, fault);
    QCOMPARE(int(::parsegroups(text).fault), fault);
}

void TestEquation::evaluates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("value"); // display form, or "fail"
    const auto row = [](const char *name, const char *text, double x, const char *value) {
        QTest::newRow(name) << QString::fromUtf8(text) << x << QString::fromUtf8(value);
    };
    row("variable", "x", 2, " 2");
    row("sine at 0", "30 * sin x", 0, " 0");
    row("square at its root", "( x + 20 ) ^ 2", -20, " 0");
    row("references read their own groups", "( x + 1 ) * ( x - 1 )", 3, " 8");
    row("pole", "1 / x", 0, "fail");
    row("lg of zero", "lg x", 0, "fail");
    row("ln of a negative", "ln x", -1, "fail");
    row("root of a negative", "( 0 - 8 ) ^ 0.5", 0, "fail");
    row("zero to a negative power", "x ^ -1", 0, "fail");
    row("overflowing power", "10 ^ x", 400, "fail");
    row("number too large", "1e999 + x", 0, "fail");
    row("lg", "lg 100", 0, " 2");
    row("lg of a power of ten is exact", "lg x - 3", 1000, " 0");
    QTest::newRow("number text too small reads as 0")
        << "x + ." + QString(400, u'0') + u'1' << 1e-300 << " 1E-300";
    row("atn", "4 * atn 1", 0, " 3.14159265358979");
    row("trailing blank", "x + 1 ", 7, " 7");
    row("two blanks", "x  + 1", 7, " 7");
    row("no operator", "2 x", 7, " 2");
    row("names are case-sensitive", "Sin x", 7, " 0");
    row("number tokens", "2.5 * 2x + 1e3 + pi", 0, " 1005");
    row("empty group takes the last value", "( x + 1 ) * (  )", 2, " 9");
    row("group not yet computed reads 0", "( y2 + 1 ) + ( x )", 5, " 6");
    row("reference beyond the list", "y9 + x", 1, "fail");
    row("lone y", "y + 1", 1, " 1");
    row("too few operands", "+ + x", 1, "fail");
    row("minus groups from the left", "10 - 2 - 3", 0, " 5");
    row("plus after minus", "10 - 2 + 3", 0, " 11");
    row("divide groups from the left", "8 / 4 / 2", 0, " 1");
    row("mixed levels", "10 - 2 * 3 + 1", 0, " 5");
    row("power groups from the right", "2 ^ 3 ^ 2", 0, " 512");
    row("functions bind before power", "sin x ^ 2 + cos x ^ 2", 0.7, " 1");
    row("function of a product", "sin 2 * x", 1, " .909297426825682");
    row("adjacent functions nest", "atn sin x", 1, " .69952164434852");
    row("sin of cos", "sin cos x", 0, " .841470984807897");
    row("leading minus negates", "- x", 3, "-3");
    row("negated group squared", "( - x ) ^ 2", 3, " 9");
    row("leading minus before a power", "- x ^ 2 + 1", 3, "-8");
    // 99999999² lies halfway between two doubles; pow rounds it the other way.
    row("square of a computed 2 rounds as a product", "x ^ ( 3 - 1 ) - 9999999800000000", 99999999,
        " 0");
    // Powers wait on the stack: 100 values fit a group, 101 do not. Sums reduce as they go, so
    // any number of terms fits.
    const QByteArray hundred = "2" + QByteArray(" ^ 1").repeated(99);
    row("100 values on the stack", hundred.constData(), 0, " 2");
    row("101 values on the stack", (hundred + " ^ 1").constData(), 0, "fail");
    row("200 terms", ("1" + QByteArray(" + 1").repeated(199)).constData(), 0, " 200");
    row("operators short of operands", "( ( + x2-) x - x * x - x - 7 ( ( + x2-) x - x * x - x - )",
        2, " 0");
}

void TestEquation::evaluates()
{
    QFETCH(QString, text);
    QFETCH(double, x);
    QFETCH(QString, value);
    const GroupList list = ::parsegroups(text);
    QCOMPARE(list.fault, GroupFault::None);
    const double result = Equation(list.groups).evaluate(x);
    QCOMPARE(std::isnan(result) ? QStringLiteral("fail") : yaoshi::displayForm(result), value);
}

QTEST_GUILESS_MAIN(TestEquation)
#include "tst_equation.moc"
