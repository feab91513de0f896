#include "plotter/engine/exactsum.h"
#include "plotter/engine/plot.h"
#include "plotter/engine/points.h"

#include <QTest>

#include <cmath>

static Equations equations(const QStringList &texts)
{
    Equations eqs;
    for (int i = 0; i < texts.size(); ++i) {
        if (!texts[i].isEmpty())
            eqs[i] = Equation(parsegroups(texts[i]).groups);
    }
    return eqs;
}

static QStringList labels(const PlotFrame &f)
{
    return {f.topLeftX, f.topLeftY, f.bottomRightX, f.bottomRightY, f.zoom};
}

static std::vector<QPointF> dotsOf(const PlotFrame &f, Curve curve)
{
    std::vector<QPointF> dots;
    for (const PlotDot &dot : f.dots) {
        if (dot.curve == curve)
            dots.push_back(dot.at);
    }
    return dots;
}

class TestPlot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mapping_data();
    void mapping();
    void exactSum_data();
    void exactSum();
    void labelsFollowTheView();
    void zoomStaysFinite();
    void samplesTheCurves();
    void pointsOfInterest_data();
    void pointsOfInterest();
};

void TestPlot::mapping_data()
{
    QTest::addColumn<QPointF>("screen");
    QTest::addColumn<QPointF>("pixel");
    QTest::newRow("top left") << QPointF(-150, 150) << QPointF(0, 0);
    QTest::newRow("bottom right") << QPointF(150, -150) << QPointF(300, 400);
    QTest::newRow("centre") << QPointF(0, 0) << QPointF(150, 200);
    QTest::newRow("beyond the top") << QPointF(0, 151) << QPointF(150, -400.0 / 300);
}

// The picture spans -150..150 across its drawing area of 301 x 401 pixels.
void TestPlot::mapping()
{
    QFETCH(QPointF, screen);
    QFETCH(QPointF, pixel);
    const QSizeF area(301, 401);
    QCOMPARE(screenToPixel(screen, area), pixel);
    QCOMPARE(pixelToScreen(pixel, area), screen);

    PlotView view;
    QVERIFY(view.zoomAt(QPointF(50, 100), true));
    QCOMPARE(view.toScreen(60, 80), QPointF(50, -100));
    QCOMPARE(view.toWorld(QPointF(75, -30)), QPointF(65, 94));
}

void TestPlot::exactSum_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("digits");
    QTest::addColumn<double>("sum");
    QTest::newRow("a fifth") << 0.0 << 1.0 << 1 << 0 << 0.2;
    QTest::newRow("150 * 5") << 0.0 << -150.0 << -1 << 0 << -750.0;
    QTest::newRow("cancels to 0") << 750.0 << -150.0 << -1 << 15 << 0.0;
    QTest::newRow("sign of the larger") << 1.0 << -3.0 << 0 << 0 << -2.0;
    QTest::newRow("tie to even, down") << 0.0 << 125.0 << 0 << 2 << 120.0;
    QTest::newRow("tie to even, up") << 0.0 << 135.0 << 0 << 2 << 140.0;
    QTest::newRow("just above a tie") << 0.0 << 125.0 + 1.0 / 1024 << 0 << 2 << 130.0;
    QTest::newRow("carry adds a digit") << 0.0 << -9999.0 << 0 << 3 << -10000.0;
    QTest::newRow("far apart") << 1e300 << 1e-300 << 0 << 0 << 1e300;
    QTest::newRow("smallest positive") << 0.0 << 5e-324 << 0 << 0 << 5e-324;
    QTest::newRow("out of range") << 1e308 << 1e308 << -1 << 0 << qInf();
    QTest::newRow("infinite operand") << qInf() << 1.0 << 0 << 15 << qInf();
}

// Exact, then rounded once: where double arithmetic rounds twice these would differ.
void TestPlot::exactSum()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(int, k);
    QFETCH(int, digits);
    QFETCH(double, sum);
    QCOMPARE(::exactSum(a, b, k, digits), sum);
}

void TestPlot::labelsFollowTheView()
{
    PlotView view;
    QCOMPARE(labels(drawaxes(view)), QStringList({"-150", " 150", " 150", "-150", " 1"}));
    QVERIFY(view.zoomAt(QPointF(50, 100), true));
    PlotFrame frame = drawaxes(view);
    QCOMPARE(labels(frame), QStringList({" 20", " 130", " 80", " 70", " 5"}));
    QVERIFY(!frame.xAxisY && !frame.yAxisX); // both axes lie outside the picture
    QVERIFY(view.zoomAt(QPointF(0, 0), false));
    QCOMPARE(labels(drawaxes(view)), QStringList({"-100", " 250", " 200", "-50", " 1"}));
}

void TestPlot::zoomStaysFinite()
{
    PlotView view;
    int in = 0;
    while (view.zoomAt(QPointF(0, 0), true))
        ++in;
    QCOMPARE(in, 55);
    QCOMPARE(drawaxes(view).zoom, " 2.775558E+38");
    QVERIFY(!view.beyondPrecision(QPointF(0, 0))); // refused by the float range, not precision
    const PlotView before = view;
    QVERIFY(!view.zoomAt(QPointF(3, 3), true));
    QCOMPARE(view.cenx, before.cenx); // a refused click changes nothing

    // Around x = 2 a screen unit spans two doubles up to 5^21; the wheel keeps 2 in place.
    view = PlotView();
    in = 0;
    while (view.zoomAbout(QPointF(2, 0), true))
        ++in;
    QCOMPARE(in, 21);
    QVERIFY(view.beyondPrecision(QPointF(0, 0)));
    QCOMPARE(view.toWorld(QPointF(2, 0)).x(), 2.0);
    QVERIFY(view.zoomAbout(QPointF(2, 0), false));
    QCOMPARE(view.toWorld(QPointF(2, 0)).x(), 2.0);

    view = PlotView();
    int out = 0;
    while (view.zoomAt(QPointF(0, 0), false))
        ++out;
    QCOMPARE(out, 54);
    QCOMPARE(view.zoomPower(), kMinZoomPower);
    QVERIFY(std::isfinite(plotcurves(view, equations({"1 / x"})).dots.front().at.y()));
}

void TestPlot::samplesTheCurves()
{
    const PlotView view;
    PlotFrame frame = plotcurves(view, equations({"x", "", "30 * sin x", "20 * cos x"}));
    QCOMPARE(dotsOf(frame, Curve::One).size(), size_t(301));
    for (const QPointF &dot : dotsOf(frame, Curve::One))
        QCOMPARE(dot.x(), dot.y());
    QVERIFY(dotsOf(frame, Curve::Two).empty());
    QCOMPARE(dotsOf(frame, Curve::Parametric).size(), size_t(301));
    for (const QPointF &dot : dotsOf(frame, Curve::Parametric)) {
        const double r = std::pow(dot.x() / 30, 2) + std::pow(dot.y() / 20, 2);
        QVERIFY2(std::fabs(r - 1) < 1e-5, qPrintable(QString::number(r)));
    }
    QCOMPARE(frame.xAxisY, 0.0);
    QCOMPARE(frame.yAxisX, 0.0);

    // A pole leaves a gap; overflowing values and a failed abscissa leave no dot.
    frame = plotcurves(view, equations({"1 / x", "10 ^ x", "lg x", "x"}));
    QCOMPARE(dotsOf(frame, Curve::One).size(), size_t(300));
    QCOMPARE(dotsOf(frame, Curve::Two).size(), size_t(189)); // 10^x fits a float up to x = 38
    QCOMPARE(dotsOf(frame, Curve::Parametric).size(), size_t(150));

    // Sample by sample: equation one, equation two, the parametric pair, then the next column.
    frame = plotcurves(view, equations({"x", "0 - x", "x", "x"}));
    QCOMPARE(frame.dots.size(), size_t(3 * 301));
    for (size_t i = 0; i < frame.dots.size(); ++i) {
        const PlotDot &dot = frame.dots[i];
        QCOMPARE(dot.curve, Curve(i % 3));
        QCOMPARE(dot.at.x(), double(int(i / 3) - 150));
    }
}

// A point as "R1 x y": root, crossing, minimum or maximum (R C m M), the curve, then x and y
// with all 17 digits, so that the texts compare the doubles bit for bit.
static QStringList pointTexts(const PointsOfInterest &found)
{
    QStringList texts;
    for (const PointOfInterest &p : found.points) {
        texts.append(QStringLiteral("%1%2 %3 %4")
                         .arg(QChar(u"RCmM"[int(p.kind)]))
                         .arg(int(p.curve) + 1)
                         .arg(p.x, 0, 'g', 17)
                         .arg(p.y, 0, 'g', 17));
    }
    if (found.capped[0] || found.capped[1] || found.capped[2])
        texts.append(QStringLiteral("capped %1 %2 %3")
                         .arg(found.capped[0])
                         .arg(found.capped[1])
                         .arg(found.capped[2]));
    return texts;
}

void TestPlot::pointsOfInterest_data()
{
    QTest::addColumn<QString>("one");
    QTest::addColumn<QString>("two");
    QTest::addColumn<double>("centre");
    QTest::addColumn<int>("zoomPower");
    QTest::addColumn<QStringList>("points");
    QTest::newRow("touching zero") << "( x + 20 ) ^ 2"
                                   << "" << 0.0 << 0 << QStringList{"R1 -20 0"};
    QTest::newRow("cubic") << "x ^ 3 - 2 * x - 5"
                           << "" << 0.0 << 0
                           << QStringList{"M1 -0.8164965809278325 -3.9113378920963653",
                                          "m1 0.81649658092783239 -6.0886621079036347",
                                          "R1 2.0945514815423265 -8.8817841970012523e-16"};
    QTest::newRow("two curves") << "x ^ 2"
                                << "2 - x" << 0.0 << 0
                                << QStringList{"C1 -2 4", "R1 0 0", "C1 1 1", "R2 2 0"};
    QTest::newRow("curves touching")
        << "x ^ 2"
        << "2 * x - 1" << 0.0 << 0 << QStringList{"R1 0 0", "R2 0.5 0", "C1 1 1"};
    QTest::newRow("square root of 2")
        << "x ^ 2 - 2"
        << "" << 0.0 << 0
        << QStringList{"R1 -1.4142135623730951 4.4408920985006262e-16", "m1 0 -2",
                       "R1 1.4142135623730949 -4.4408920985006262e-16"};
    // Zeros at multiples of pi, and the middle of the doubles where sin is exactly 1 or -1.
    QTest::newRow("sine") << "sin x"
                          << "" << 0.0 << 2
                          << QStringList{"M1 -4.7123889803846906 1",
                                         "R1 -3.1415926535897931 -1.2246467991473532e-16",
                                         "m1 -1.5707963267948968 -1",
                                         "R1 0 0",
                                         "M1 1.5707963267948966 1",
                                         "R1 3.1415926535897931 1.2246467991473532e-16",
                                         "m1 4.7123889803846897 -1"};
    QTest::newRow("touching and crossing")
        << "( x - 1 ) ^ 2 * ( x + 3 )"
        << "" << 0.0 << 0
        << QStringList{"R1 -3 0", "M1 -1.6666666681238442 9.4814814814814827", "R1 1 0"};
    QTest::newRow("pole at a gap") << "1 / x"
                                   << "" << 0.5 << 0 << QStringList{};
    QTest::newRow("pole without a gap") << "sin x / cos x"
                                        << "" << 1.5 << 3 << QStringList{};
    QTest::newRow("domain edge") << "lg x"
                                 << "" << 0.0 << 0 << QStringList{"R1 1 0"};
    QTest::newRow("undefined everywhere") << "+ + x"
                                          << "x" << 0.0 << 0 << QStringList{"R2 0 0"};
}

void TestPlot::pointsOfInterest()
{
    QFETCH(QString, one);
    QFETCH(QString, two);
    QFETCH(double, centre);
    QFETCH(int, zoomPower);
    QFETCH(QStringList, points);
    PlotView view;
    view.cenx = centre;
    for (int i = 0; i < zoomPower; ++i)
        QVERIFY(view.zoomAt(QPointF(0, 0), true));
    QCOMPARE(pointTexts(findPoints(view, equations({one, two}))), points);

    // Aliased to noise: the cap keeps those nearest the centre.
    const PointsOfInterest capped = findPoints(PlotView(), equations({"sin ( 100 * x )"}));
    QCOMPARE(capped.points.size(), size_t(kMaxPointsPerCurve));
    QCOMPARE(pointTexts(capped).last(), "capped 1 0 0");
    QVERIFY(capped.points.front().x > -100 && capped.points.back().x < 100);
}

QTEST_GUILESS_MAIN(TestPlot)
#include "tst_plot.moc"
