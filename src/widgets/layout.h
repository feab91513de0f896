#pragma once

#include <QRect>

// Window layouts are given in twips: 1/1440 inch, 15 to a pixel at 96 dpi.
constexpr int twips(int t)
{
    return t / 15;
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}
