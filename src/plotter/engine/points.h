#pragma once

#include "plotter/engine/plot.h"

#include <array>
#include <vector>

// Where the curves of equation one and equation two meet the x axis, meet each other, and turn.
enum class PointKind : quint8 { Root, Crossing, Minimum, Maximum };

struct PointOfInterest {
    PointKind kind;
    Curve curve; // One or Two; a crossing belongs to both and says One
    double x;
    double y; // of equation one at a crossing
    bool operator==(const PointOfInterest &) const = default;
};

// The most points kept for each curve and for the crossings. Past it the points nearest the
// centre of the view are kept.
constexpr int kMaxPointsPerCurve = 64;

struct PointsOfInterest {
    std::vector<PointOfInterest> points; // by x, then by kind and curve
    // Equation one, equation two, the crossings: more points than were kept.
    std::array<bool, 3> capped{};
};

// The points within the view, found between the 301 samples the picture is drawn from
// and refined with the same evaluation to the last double: a sign change to the one of the two
// adjacent doubles with the smaller |f|, a turning point or a zero that only touches the axis to
// the double where the value is smallest (largest). A sign change across a pole or a gap is
// not a zero.
PointsOfInterest findPoints(const PlotView &view, const Equations &equations);

// The point drawn nearest to a screen point on a drawing area of `area` pixels, if one lies within
// `pixels` of it; -1 when none does.
int nearestPoint(const PointsOfInterest &points, const PlotView &view, QPointF screen, QSizeF area,
                 double pixels);
