#pragma once

#include <QIcon>
#include <QImage>

class QPainter;

// The program's icon: a faceted black stone with a glint of light, painted into the square of
// side `size` at the painter's origin. The bitmaps and the scalable icon are both painted by it.
void paintAppIcon(QPainter &p, qreal size);
QImage appIconImage(int size);

// The help window's icon, 16 and 32 pixels: a white question mark on a green disc with a black
// rim.
QIcon helpIcon();

// The plotter's icon, 16 and 32 pixels: a white graph on a blue square.
QIcon plotterIcon();
