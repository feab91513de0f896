#include "plotter/engine/plot.h"

#include "core/numtext.h"
#include "plotter/engine/exactsum.h"
#include "plotter/engine/vectorstate.h"

#include <cmath>
#include <limits>

namespace
{

// One screen unit must span at least two doubles at the centre on both axes, or the curves
// turn into staircases and then vanish.
bool resolves(double x, double y, int power)
{
    const double step = exactSum(0, 1, power);
    const auto ulp = [](double v) {
        v = std::fabs(v);
        return std::nextafter(v, std::numeric_limits<double>::infinity()) - v;
    };
    return step >= 2 * ulp(x) && step >= 2 * ulp(y);
}

} // namespace

bool PlotView::zoomTo(double x, double y, int power)
{
    if (power > kMaxZoomPower || power < kMinZoomPower)
        return false;
    if (!std::isfinite(x) || !std::isfinite(y))
        return false;
    if (power > m_power && !resolves(x, y, power))
        return false;
    cenx = x;
    ceny = y;
    m_power = power;
    m_zoom = exactSum(0, 1, -power);
    return true;
}

bool PlotView::zoomAt(QPointF screen, bool in)
{
    return zoomTo(exactSum(cenx, screen.x(), m_power), exactSum(ceny, screen.y(), m_power),
                  in ? m_power + 1 : m_power - 1);
}

bool PlotView::zoomAbout(QPointF screen, bool in)
{
    // The point under the pointer is c + s / 5^p; it stays at s when the centre moves by
    // s / 5^p - s / 5^(p +- 1): 4s / 5^(p+1) zooming in, -4s / 5^p zooming out.
    const int power = in ? m_power + 1 : m_power;
    const double sign = in ? 4 : -4;
    return zoomTo(exactSum(cenx, sign * screen.x(), power),
                  exactSum(ceny, sign * screen.y(), power), in ? m_power + 1 : m_power - 1);
}

bool PlotView::beyondPrecision(QPointF screen) const
{
    const double x = exactSum(cenx, screen.x(), m_power);
    const double y = exactSum(ceny, screen.y(), m_power);
    return m_power < kMaxZoomPower && std::isfinite(x) && std::isfinite(y) &&
           !resolves(x, y, m_power + 1);
}

QString coordinateText(double centre, double screen, int zoomPower)
{
    return yaoshi::displayForm(exactSum(centre, screen, zoomPower, 15));
}

QPointF screenToPixel(QPointF screen, QSizeF area)
{
    return {(screen.x() + kScreenHalf) / (2 * kScreenHalf) * (area.width() - 1),
            (kScreenHalf - screen.y()) / (2 * kScreenHalf) * (area.height() - 1)};
}

QPointF pixelToScreen(QPointF pixel, QSizeF area)
{
    return {pixel.x() * (2 * kScreenHalf) / (area.width() - 1) - kScreenHalf,
            kScreenHalf - pixel.y() * (2 * kScreenHalf) / (area.height() - 1)};
}

PlotFrame drawaxes(const PlotView &view)
{
    PlotFrame frame;
    const int power = view.zoomPower();
    frame.topLeftX = coordinateText(view.cenx, -kScreenHalf, power);
    frame.topLeftY = coordinateText(view.ceny, kScreenHalf, power);
    frame.bottomRightX = coordinateText(view.cenx, kScreenHalf, power);
    frame.bottomRightY = coordinateText(view.ceny, -kScreenHalf, power);
    // The 32-bit factor nearest to its 7 shown digits, so those digits are exact.
    frame.zoom = yaoshi::displayForm32(float(exactSum(0, 1, -power, 7)));
    // An axis outside the picture is not seen.
    const QPointF origin = view.toScreen(0, 0);
    if (std::fabs(origin.y()) <= kScreenHalf)
        frame.xAxisY = origin.y();
    if (std::fabs(origin.x()) <= kScreenHalf)
        frame.yAxisX = origin.x();
    return frame;
}

namespace
{

// A dot as the picture receives it: 32-bit coordinates, left out when they are not finite.
void addDot(std::vector<PlotDot> &dots, QPointF at, Curve curve)
{
    const float x = float(at.x());
    const float y = float(at.y());
    if (std::isfinite(x) && std::isfinite(y))
        dots.push_back({QPointF(x, y), curve});
}

} // namespace

PlotFrame plotcurves(const PlotView &view, const Equations &equations)
{
    clearUpperVectorState();
    PlotFrame frame = drawaxes(view);
    const int half = int(kScreenHalf);
    frame.dots.reserve(3 * (2 * half + 1));
    for (int sx = -half; sx <= half; ++sx) {
        const double t = view.toWorld(QPointF(sx, 0)).x();
        // A curve y = f(x) keeps the sample's own column; an undefined value is NaN, and so is
        // every coordinate made from it.
        addDot(frame.dots, {double(sx), view.toScreen(t, equations[0].evaluate(t)).y()},
               Curve::One);
        addDot(frame.dots, {double(sx), view.toScreen(t, equations[1].evaluate(t)).y()},
               Curve::Two);
        addDot(frame.dots, view.toScreen(equations[2].evaluate(t), equations[3].evaluate(t)),
               Curve::Parametric);
    }
    return frame;
}
