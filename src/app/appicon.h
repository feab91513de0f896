#pragma once

#include <QImage>

// The program's icon: a faceted black stone with a glint of light.
QImage appIconImage(int size);
