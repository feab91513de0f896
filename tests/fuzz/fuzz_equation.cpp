// Equation text in, conversion and evaluation at several x: never crashes, and every value is
// finite or the failure.
#include "plotter/equation.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto groups = parsegroups(text);
    if (!groups)
        return 0;
    if (groups->isEmpty() || !groups->front().isEmpty())
        std::abort(); // slot 0 is always there and empty
    const Equation equation(*groups);
    for (const double x : {-150.0, -1.0, 0.0, 0.5, 1.0, 3.0, 150.0, 1e300})
        if (const double value = equation.evaluate(x); std::isinf(value))
            std::abort();
    const double failure = evalgroups(*groups, 2, 50, 5);
    if (!std::isfinite(failure))
        std::abort();
    return 0;
}
