#pragma once

#include <QString>
#include <QStringView>

// The number texts shared by the calculator and the plotter.
namespace yaoshi
{

// " 3", " .5", "-.5", " 1E+15": a blank before a value that is not negative, no zero before the
// point, 15 significant digits, exponent form outside 1E-4 <= |v| < 1E15.
QString displayForm(double value);

// The same for 32-bit values: 7 significant digits, exponent form from 1E7 on.
QString displayForm32(float value);

// The display form without its leading blank ("3.14159265358979").
QString plainForm(double value);

// Reads the longest leading decimal number of an entry text, ignoring every blank: sign, digits
// with at most one point, optional exponent. No digits at all read as 0; a magnitude beyond the
// range of a double reads as infinity, so the caller can refuse it.
double readEntry(QStringView text);

} // namespace yaoshi
