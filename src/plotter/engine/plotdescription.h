#pragma once

#include "plotter/engine/plot.h"

#include <QString>

#include <array>

// The picture told in words for a screen reader: the equations drawn, the centre of the view and
// the zoom factor. `drawn` holds the texts of the four boxes as last drawn, empty for a box that
// drew nothing; `zoom` is the zoom factor as its read-out shows it.
QString describePlot(const std::array<QString, 4> &drawn, const PlotView &view,
                     const QString &zoom);
