#pragma once

#include "plotter/engine/equation.h"

#include <QPointF>
#include <QSizeF>
#include <QString>

#include <array>
#include <optional>
#include <vector>

// The picture's own coordinates run from -150 to 150 on both axes, y upwards; a view maps world
// coordinates onto them: screen = (world - centre) * zoom.
constexpr double kScreenHalf = 150;

// The zoom factor is 5^power. Its bounds keep the factor, and so every division by it, within
// the range of a normal 32-bit float: 5^55 is about 2.8E+38, 5^-54 about 1.8E-38.
constexpr int kMaxZoomPower = 55;
constexpr int kMinZoomPower = -54;

struct PlotView {
    double cenx = 0;
    double ceny = 0;

    int zoomPower() const { return m_power; }
    // 5^zoomPower(), the nearest double.
    double zoom() const { return m_zoom; }
    void resetZoom()
    {
        m_power = 0;
        m_zoom = 1;
    }

    QPointF toScreen(double x, double y) const
    {
        return {(x - cenx) * m_zoom, (y - ceny) * m_zoom};
    }
    QPointF toWorld(QPointF screen) const
    {
        return {screen.x() / m_zoom + cenx, screen.y() / m_zoom + ceny};
    }
    // Re-centres on a screen point and zooms in (or out) by 5. Refused, changing nothing, beyond
    // the zoom bounds, past the resolution of doubles around the new centre, or when the new
    // centre would not be finite.
    bool zoomAt(QPointF screen, bool in);
    // Zooms in (or out) by 5 keeping the world point under a screen point where it is, as a
    // wheel does; refused as zoomAt is.
    bool zoomAbout(QPointF screen, bool in);
    // Whether zooming in about that screen point is refused for want of precision alone.
    bool beyondPrecision(QPointF screen) const;

private:
    bool zoomTo(double x, double y, int power);

    int m_power = 0;
    double m_zoom = 1;
};

// A label's number: centre + screen / zoom, worked out exactly and shown in the display form.
QString coordinateText(double centre, double screen, int zoomPower);

// The picture's coordinates on a drawing area of `area` pixels, and back.
QPointF screenToPixel(QPointF screen, QSizeF area);
QPointF pixelToScreen(QPointF pixel, QSizeF area);

// The equations of the four boxes: two curves y = f(x) and the parametric pair.
using Equations = std::array<Equation, 4>;

enum class Curve : quint8 { One, Two, Parametric };

struct PlotDot {
    QPointF at;
    Curve curve;
};

// What one redraw puts on the picture and its labels, in the picture's coordinates.
struct PlotFrame {
    QString topLeftX, topLeftY, bottomRightX, bottomRightY, zoom;
    // The axes, where they cross the picture.
    std::optional<double> xAxisY;
    std::optional<double> yAxisX;
    // In drawing order: at each sample equation one, equation two, then the parametric pair, so
    // that a later dot covers an earlier one where curves cross.
    std::vector<PlotDot> dots;
};

// The labels and axes of a view, with no curves.
PlotFrame drawaxes(const PlotView &view);
// Labels, axes and the dots of every equation at the 301 samples across the view. Points where an
// equation is undefined, or whose coordinates are not finite, are left out.
PlotFrame plotcurves(const PlotView &view, const Equations &equations);
