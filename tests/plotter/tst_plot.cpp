#include "plotter/plot.h"

#include <QTest>

#include <cmath>

static Equations equations(const QStringList &texts)
{
    Equations eqs;
    for (int i = 0; i < texts.size(); ++i) {
        if (!texts[i].isEmpty())
            eqs[i] = Equation(*parsegroups(texts[i]));
    }
    return eqs;
}

static QStringList labels(const PlotFrame &f)
{
    return {f.topLeftX, f.topLeftY, f.bottomRightX, f.bottomRightY, f.zoom};
}

class TestPlot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mapping_data();
    void mapping();
    void labelsFollowTheView();
    void zoomStaysFinite();
    void samplesTheCurves();
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

    const PlotView view{50, 100, 5};
    QCOMPARE(view.toScreen(60, 80), QPointF(50, -100));
    QCOMPARE(view.toWorld(QPointF(75, -30)), QPointF(65, 94));
}

void TestPlot::labelsFollowTheView()
{
    PlotView view{0, 0, 1};
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
    PlotView view{0, 0, 1};
    int in = 0;
    while (view.zoomAt(QPointF(1, 1), true))
        ++in;
    QCOMPARE(in, 55);
    QCOMPARE(drawaxes(view).zoom, " 2.775558E+38");
    const PlotView before = view;
    QVERIFY(!view.zoomAt(QPointF(3, 3), true));
    QCOMPARE(view.cenx, before.cenx); // a refused click changes nothing

    view = PlotView{0, 0, 1};
    int out = 0;
    while (view.zoomAt(QPointF(0, 0), false))
        ++out;
    QCOMPARE(out, 54);
    QVERIFY(std::isfinite(plotcurves(view, equations({"1 / x"})).curve1.front().y()));
}

void TestPlot::samplesTheCurves()
{
    const PlotView view{0, 0, 1};
    PlotFrame frame = plotcurves(view, equations({"x", "", "30 * sin x", "20 * cos x"}));
    QCOMPARE(frame.curve1.size(), size_t(301));
    for (const QPointF &dot : frame.curve1)
        QCOMPARE(dot.x(), dot.y());
    QVERIFY(frame.curve2.empty());
    QCOMPARE(frame.parametric.size(), size_t(301));
    for (const QPointF &dot : frame.parametric) {
        const double r = std::pow(dot.x() / 30, 2) + std::pow(dot.y() / 20, 2);
        QVERIFY2(std::fabs(r - 1) < 1e-5, qPrintable(QString::number(r)));
    }
    QCOMPARE(frame.xAxisY, 0.0);
    QCOMPARE(frame.yAxisX, 0.0);

    // A pole leaves a gap; overflowing values and a failed abscissa leave no dot.
    frame = plotcurves(view, equations({"1 / x", "10 ^ x", "lg x", "x"}));
    QCOMPARE(frame.curve1.size(), size_t(300));
    QCOMPARE(frame.curve2.size(), size_t(189)); // 10^x fits a float from -150 up to 38
    QCOMPARE(frame.parametric.size(), size_t(150));
}

QTEST_GUILESS_MAIN(TestPlot)
#include "tst_plot.moc"
