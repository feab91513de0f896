#pragma once

#include "equation.h"

#include <QPointF>
#include <QSizeF>
#include <QString>

#include <array>
#include <optional>
#include <vector>

// The picture's own coordinates run from -150 to 150 on both axes, y upwards; a view maps world
// coordinates onto them: screen = (world - centre) * zoom.
constexpr double kScreenHalf = 150;

struct PlotView {
    double cenx = 0;
    double ceny = 0;
    float zoom = 0; // 0 until first set

    QPointF toScreen(double x, double y) const { return {(x - cenx) * zoom, (y - ceny) * zoom}; }
    QPointF toWorld(QPointF screen) const
    {
        return {screen.x() / zoom + cenx, screen.y() / zoom + ceny};
    }
    // Re-centres on a screen point and zooms in (or out) by 5. Refused, changing nothing, when the
    // new factor or centre would leave the range of finite values.
    bool zoomAt(QPointF screen, bool in);
};

// The picture's coordinates on a drawing area of `area` pixels, and back.
QPointF screenToPixel(QPointF screen, QSizeF area);
QPointF pixelToScreen(QPointF pixel, QSizeF area);

// The equations of the four boxes: two curves y = f(x) and the parametric pair.
using Equations = std::array<Equation, 4>;

// What one redraw puts on the picture and its labels, in the picture's coordinates.
struct PlotFrame {
    QString topLeftX, topLeftY, bottomRightX, bottomRightY, zoom;
    // The axes, where they cross the picture.
    std::optional<double> xAxisY;
    std::optional<double> yAxisX;
    std::vector<QPointF> curve1, curve2, parametric;
};

// The labels and axes of a view, with no curves.
PlotFrame drawaxes(const PlotView &view);
// Labels, axes and the dots of every equation at the 301 samples across the view. Points where an
// equation is undefined, or whose coordinates are not finite, are left out.
PlotFrame plotcurves(const PlotView &view, const Equations &equations);
