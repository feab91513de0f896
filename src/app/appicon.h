#pragma once

#include <QIcon>
#include <QImage>

// The program's icon: a faceted black stone with a glint of light.
QImage appIconImage(int size);

// The help window's icon, 16 and 32 pixels: a white question mark on a green disc with a black
// rim.
QIcon helpIcon();

// The plotter's icon, 16 and 32 pixels: a white graph on a blue square.
QIcon plotterIcon();
