#include "plotter/window/plottermessages.h"

#include <QTest>

class TestPlotterMessages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void texts_data();
    void texts();
};

void TestPlotterMessages::texts_data()
{
    using namespace plottermessages;
    const PointOfInterest root{PointKind::Root, Curve::One, -20, 0};
    const PointOfInterest crossing{PointKind::Crossing, Curve::One, 1, 1};
    const PointOfInterest minimum{PointKind::Minimum, Curve::Two, 0, -2};
    const PointOfInterest maximum{PointKind::Maximum, Curve::One, -0.8164965809278325, 1e-300};
    PointsOfInterest found;
    found.points = {{PointKind::Crossing, Curve::One, -2, 4}, root, crossing};
    PointsOfInterest capped = found;
    capped.capped = {true, false, true};
    PlotView view;
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("root") << pointLabel(root) << "方程一的根 x = -20";
    QTest::newRow("crossing") << pointLabel(crossing) << "两曲线交点 (1, 1)";
    QTest::newRow("minimum of two") << pointLabel(minimum) << "方程二的极小值 (0, -2)";
    QTest::newRow("maximum, shortest digits")
        << pointLabel(maximum) << "方程一的极大值 (-0.8164965809278325, 1e-300)";
    QTest::newRow("copied") << pointCopy(maximum) << "-0.8164965809278325, 1e-300";
    QTest::newRow("read-out") << exactReadout(1.4142135623730951) + u'|' + exactReadout(-0.0)
                              << " 1.4142135623730951| 0";
    QTest::newRow("described")
        << describePlot({"( x + 20 ) ^ 2", "", "", ""}, found, view, " 1")
        << "方程一 y = ( x + 20 ) ^ 2。方程一与x轴交于 x = -20；两曲线交于 (-2, 4) 和 (1, 1)。"
           "中心 (0, 0)，放大系数 1";
    QTest::newRow("capped") << cappedNote(capped)
                            << "方程一、两曲线交点的点太多，只标出离中心最近的 64 个";
    QTest::newRow("not capped") << cappedNote(found) << "";
    const auto hints = [](const char *text) { return tokenHints(checkTokens(text)); };
    QTest::newRow("tokens as they should be") << hints("( x + 20 ) ^ 2 - y1 * -2.5E+3") << "";
    QTest::newRow("run together") << hints("x^2")
                                  << "“x^2”不是一个记号：符号、数据之间要加入一个空格";
    QTest::newRow("parenthesis run on")
        << hints("( x + 20 )^2") << "“)^2”不是一个记号：符号、数据之间要加入一个空格";
    QTest::newRow("minus run on") << hints("-x")
                                  << "“-x”不是一个记号：符号、数据之间要加入一个空格";
    QTest::newRow("calculator's Ln") << hints("Ln x") << "“Ln”应写作“ln”";
    QTest::newRow("capital X, twice") << hints("X ^ 2 + X") << "“X”应写作“x”";
    QTest::newRow("pi") << hints("pi * x") << "“pi”应写作“3.14159265358979”";
    QTest::newRow("two blanks") << hints("x  + 1") << "记号之间只能有一个空格";
    QTest::newRow("unknown, and a number's start")
        << hints("sin(x) + 2x + foo")
        << "“sin(x)”不是一个记号：符号、数据之间要加入一个空格；"
           "“2x”不是一个记号，当作数 2；“foo”不是一个记号，当作数 0";
    QTest::newRow("group faults")
        << groupFaults({{GroupFault::Unbalanced, {"方程二", "参数方程二"}},
                        {GroupFault::TooManyGroups, {"方程一"}}})
        << "方程二、参数方程二的括号不配对，无法画出。方程一的括号太多，最多 998 对，无法画出。"
           "符号、数据之间要加入一个空格。";
}

void TestPlotterMessages::texts()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

QTEST_GUILESS_MAIN(TestPlotterMessages)
#include "tst_plottermessages.moc"
