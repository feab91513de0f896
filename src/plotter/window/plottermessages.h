#pragma once

#include "plotter/engine/equation.h"
#include "plotter/engine/points.h"
#include "plotter/engine/tokencheck.h"

#include <QString>

#include <array>
#include <utility>
#include <vector>

// Every text the plotter shows or tells in words, made from the engine's typed results.
namespace plottermessages
{

QString windowTitle();
QString messageTitle();
QString pictureTooltip();
QString firstBoxTooltip();
QString boxCaption(int box); // 0..3
QString scrollBarName(Qt::Orientation orientation);

// Boxes that cannot be drawn, by reason, with their captions.
QString groupFaults(const std::vector<std::pair<GroupFault, QStringList>> &faults);
QString saveFailed(const QString &path, const QString &error);
QString beyondPrecision();
// What a box's tokens probably meant, one sentence each; empty when all read as they look.
QString tokenWarningName();
QString tokenHints(const std::vector<TokenHint> &hints);

// The shortest text that reads back to the same double: "-20", "1.4142135623730951".
QString exactNumber(double value);
// A number for a read-out label at a point: exact, with the blank that stands for a plus sign.
QString exactReadout(double value);
// What a ring stands for: "方程一的根 x = -20", "两曲线交点 (1, 1)".
QString pointLabel(const PointOfInterest &point);
// The point as copied: "x, y".
QString pointCopy(const PointOfInterest &point);
// Said on the picture when a curve has more points than are marked; empty when none has.
QString cappedNote(const PointsOfInterest &points);

// The picture told in words for a screen reader: the equations drawn, their points of interest,
// the centre of the view and the zoom factor. `drawn` holds the texts of the four boxes as last
// drawn, empty for a box that drew nothing; `zoom` is the zoom factor as its read-out shows it.
QString describePlot(const std::array<QString, 4> &drawn, const PointsOfInterest &points,
                     const PlotView &view, const QString &zoom);

} // namespace plottermessages
