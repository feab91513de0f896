// Equation text in, conversion and evaluation at several x: never crashes, every value is finite
// or undefined, and the compiled steps give exactly what the plain two-stack evaluation gives.
#include "core/numtext.h"
#include "plotter/equation.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{

constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();

int code(const QString &token)
{
    static const char *const kNames[] = {"+", "-", "*", "/", "^", "sin", "cos", "lg", "ln", "atn"};
    static const int kCodes[] = {5, 6, 10, 11, 20, 40, 41, 42, 43, 44};
    for (int i = 0; i < 10; ++i)
        if (token == QLatin1String(kNames[i]))
            return kCodes[i];
    return -1;
}

bool applies(int prev, int next)
{
    if (next >= 40)
        return false;
    if (prev > next + 3)
        return true;
    const auto level = [](int c) { return c >= 40 ? 3 : c / 5; };
    return (next == 5 || next == 6 || next == 10 || next == 11) && level(prev) == level(next);
}

// The evaluation as the plotter's two stacks do it, token by token.
double reference(const QStringList &groups, double x)
{
    const int n = int(groups.size()) - 1;
    if (n < 1)
        return kUndefined;
    std::vector<double> results(n + 1, 0.0);
    std::array<double, 101> vals{};
    std::array<int, 101> opers{};
    for (int i = 1; i <= n; ++i) {
        int valtop = 0;
        int opertop = 0;
        const auto push = [&](double v) {
            if (valtop >= 100)
                return false;
            vals[++valtop] = v;
            return true;
        };
        const auto pushOperator = [&](int c) {
            if (opertop >= 100)
                return false;
            opers[++opertop] = c;
            while (opertop > 1 && applies(opers[opertop - 1], c)) {
                const int prev = opers[opertop - 1];
                double &v = vals[valtop];
                if (prev >= 40) {
                    v = prev == 40   ? std::sin(v)
                        : prev == 41 ? std::cos(v)
                        : prev == 42 ? std::log10(v)
                        : prev == 43 ? std::log(v)
                                     : std::atan(v);
                    if (!std::isfinite(v))
                        return false;
                } else {
                    if (valtop < 1)
                        return false;
                    double &a = vals[valtop - 1];
                    const double b = vals[valtop];
                    a = prev == 5    ? a + b
                        : prev == 6  ? a - b
                        : prev == 10 ? a * b
                        : prev == 11 ? a / b
                        : b == 2     ? a * a
                                     : std::pow(a, b);
                    --valtop;
                    if (!std::isfinite(a))
                        return false;
                }
                opers[--opertop] = c;
            }
            return true;
        };
        const QStringList tokens = groups[i].isEmpty() ? QStringList() : groups[i].split(u' ');
        for (int t = 0; t < tokens.size(); ++t) {
            const QString &token = tokens[t];
            bool ok = true;
            if (token.startsWith(u'y')) {
                const double m = std::nearbyint(yaoshi::readEntry(QStringView(token).mid(1)));
                ok = m >= 0 && m <= n && push(results[int(m)]);
            } else if (const int c = code(token); c >= 0) {
                if (t == 0 && c == 6)
                    push(0);
                ok = pushOperator(c);
            } else if (token == u"x") {
                ok = push(x);
            } else {
                const double v = yaoshi::readEntry(token);
                ok = std::isfinite(v) && push(v);
            }
            if (!ok)
                return kUndefined;
        }
        if (!pushOperator(0))
            return kUndefined;
        results[i] = vals[1];
    }
    return results[n];
}

bool same(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const GroupList list = parsegroups(text);
    if (list.fault != GroupFault::None) {
        if (!list.groups.isEmpty())
            std::abort();
        return 0;
    }
    const QStringList &groups = list.groups;
    if (groups.isEmpty() || groups.size() > kMaxGroups + 1 || !groups.front().isEmpty())
        std::abort(); // slot 0 is always there and empty
    const Equation equation(groups);
    for (const double x : {-150.0, -1.0, 0.0, 0.5, 1.0, 3.0, 150.0, 1e300}) {
        const double value = equation.evaluate(x);
        if (std::isinf(value) || !same(value, reference(groups, x)))
            std::abort();
    }
    return 0;
}
