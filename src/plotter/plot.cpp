#include "plot.h"

#include "core/numtext.h"

#include <cfloat>
#include <cmath>

bool PlotView::zoomAt(QPointF screen, bool in)
{
    const float from = zoom == 0 ? 1.0f : zoom;
    const double x = cenx + screen.x() / from;
    const double y = ceny + screen.y() / from;
    const float to = in ? from * 5 : from / 5;
    // A normal float keeps every division by the factor finite.
    if (!std::isfinite(x) || !std::isfinite(y) || !(std::fabs(to) >= FLT_MIN) || !std::isfinite(to))
        return false;
    cenx = x;
    ceny = y;
    zoom = to;
    return true;
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
    const double half = kScreenHalf / view.zoom;
    frame.topLeftX = yaoshi::displayForm(view.cenx - half);
    frame.topLeftY = yaoshi::displayForm(view.ceny + half);
    frame.bottomRightX = yaoshi::displayForm(view.cenx + half);
    frame.bottomRightY = yaoshi::displayForm(view.ceny - half);
    frame.zoom = yaoshi::displayForm32(view.zoom);
    // An axis outside the picture is not seen.
    const double xAxis = -view.ceny * view.zoom;
    const double yAxis = -view.cenx * view.zoom;
    if (std::fabs(xAxis) <= kScreenHalf)
        frame.xAxisY = xAxis;
    if (std::fabs(yAxis) <= kScreenHalf)
        frame.yAxisX = yAxis;
    return frame;
}

namespace
{

// A dot as the picture receives it: 32-bit coordinates, left out when they are not finite.
void addDot(std::vector<QPointF> &dots, double x, double y)
{
    const float fx = float(x);
    const float fy = float(y);
    if (std::isfinite(fx) && std::isfinite(fy))
        dots.emplace_back(fx, fy);
}

} // namespace

PlotFrame plotcurves(const PlotView &view, const Equations &equations)
{
    PlotFrame frame = drawaxes(view);
    const int samples = 2 * int(kScreenHalf) + 1;
    for (auto *dots : {&frame.curve1, &frame.curve2, &frame.parametric})
        dots->reserve(samples);
    for (int sx = -int(kScreenHalf); sx <= int(kScreenHalf); ++sx) {
        const double t = sx / double(view.zoom) + view.cenx;
        // An undefined value is NaN, and so is every coordinate made from it.
        addDot(frame.curve1, sx, (equations[0].evaluate(t) - view.ceny) * view.zoom);
        addDot(frame.curve2, sx, (equations[1].evaluate(t) - view.ceny) * view.zoom);
        addDot(frame.parametric, (equations[2].evaluate(t) - view.cenx) * view.zoom,
               (equations[3].evaluate(t) - view.ceny) * view.zoom);
    }
    return frame;
}
