#pragma once

// a + b / 5^k, worked out exactly (every double, and every power of 5, has a finite decimal
// expansion) and rounded once: to `digits` significant decimal digits and then to the nearest
// double, or with `digits` 0 straight to the nearest double. A double rounded from at most 15
// digits shows those digits again in the display form. Infinite or NaN operands, and results
// beyond the range of a double, give what double arithmetic gives.
double exactSum(double a, double b, int k, int digits = 0);
