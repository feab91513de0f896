#include "plotter/engine/points.h"

#include "plotter/engine/vectorstate.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <optional>

namespace
{

constexpr int kSamples = 2 * int(kScreenHalf) + 1;

// Doubles in order as integers, so that halving the distance between two keys halves the number
// of doubles between them: a search over all doubles ends in at most 64 steps. Both zeros are 0.
std::int64_t keyOf(double x)
{
    const auto bits = std::bit_cast<std::int64_t>(x);
    return bits >= 0 ? bits : -(bits & std::numeric_limits<std::int64_t>::max());
}

double doubleOf(std::int64_t key)
{
    return key >= 0 ? std::bit_cast<double>(key)
                    : std::bit_cast<double>(std::int64_t(std::uint64_t(-key) | (1ULL << 63)));
}

// How many doubles lie between two keys: more than a signed key can hold when they lie on both
// sides of zero.
std::uint64_t gap(std::int64_t x, std::int64_t y)
{
    return x > y ? std::uint64_t(x) - std::uint64_t(y) : std::uint64_t(y) - std::uint64_t(x);
}

using Function = std::function<double(double)>;

int signOf(double v)
{
    return v > 0 ? 1 : v < 0 ? -1 : 0;
}

// Narrows a sign change between a and b down to two adjacent doubles and keeps the one with the
// smaller |f|. Nothing when the change is not a zero: a gap met on the way, or a value that grows
// instead of shrinking towards the change, as at a pole.
std::optional<double> refineZero(const Function &f, double a, double fa, double b, double fb)
{
    const double limit = std::min(std::fabs(fa), std::fabs(fb));
    std::int64_t lo = keyOf(a);
    std::int64_t hi = keyOf(b);
    const int sa = signOf(fa);
    while (gap(lo, hi) > 1) {
        const std::int64_t mid = std::midpoint(lo, hi);
        const double x = doubleOf(mid);
        const double v = f(x);
        if (std::isnan(v))
            return std::nullopt;
        if (v == 0)
            return x;
        if (signOf(v) == sa) {
            lo = mid;
            fa = v;
        } else {
            hi = mid;
            fb = v;
        }
    }
    if (std::min(std::fabs(fa), std::fabs(fb)) > limit)
        return std::nullopt;
    return std::fabs(fb) < std::fabs(fa) ? doubleOf(hi) : doubleOf(lo);
}

// The double between a and b where f is smallest (sign 1) or largest (sign -1), given a sample c
// between them that is already at least as good as both: golden-section steps on the keys.
std::pair<double, double> refineExtreme(const Function &f, double a, double c, double fc, double b,
                                        int sign)
{
    std::int64_t lo = keyOf(a);
    std::int64_t hi = keyOf(b);
    std::int64_t mid = keyOf(c);
    double best = sign * fc;
    constexpr double kGolden = 0.3819660112501051;
    while (gap(lo, hi) > 2) {
        const bool right = gap(hi, mid) > gap(mid, lo);
        const std::uint64_t span = right ? gap(hi, mid) : gap(mid, lo);
        const auto step = std::max<std::int64_t>(1, std::int64_t(double(span) * kGolden));
        const std::int64_t probe = right ? mid + step : mid - step;
        const double v = sign * f(doubleOf(probe));
        if (v < best) {
            (right ? lo : hi) = mid;
            mid = probe;
            best = v;
        } else {
            (right ? hi : lo) = probe;
        }
    }
    // Near its extreme a curve is flat to the last bit over many doubles: the middle of them.
    const auto edge = [&](std::int64_t outer, std::int64_t inner) {
        while (gap(inner, outer) > 1) {
            const std::int64_t probe = std::midpoint(outer, inner);
            (sign * f(doubleOf(probe)) == best ? inner : outer) = probe;
        }
        return inner;
    };
    const std::int64_t first = edge(keyOf(a), mid);
    const std::int64_t last = edge(keyOf(b), mid);
    const std::int64_t middle = std::midpoint(first, last);
    if (sign * f(doubleOf(middle)) == best)
        mid = middle;
    return {doubleOf(mid), sign * best};
}

struct Candidate {
    int sample;
    std::function<void()> refine;
};

// Finds the points of one function sampled at `t`; `root` is the kind a zero of it is reported
// as, and turning points are reported only when `turns`.
class Finder
{
public:
    Finder(const std::array<double, kSamples> &t, Function f, Function y, PointKind root,
           Curve curve, bool turns)
        : m_t(t), m_f(std::move(f)), m_y(std::move(y)), m_root(root), m_curve(curve), m_turns(turns)
    {
    }

    bool find(std::vector<PointOfInterest> &out)
    {
        std::array<double, kSamples> v;
        for (int i = 0; i < kSamples; ++i)
            v[i] = m_f(m_t[i]);
        std::vector<Candidate> candidates;
        for (int i = 0; i < kSamples; ++i) {
            if (std::isnan(v[i]))
                continue;
            if (v[i] == 0) {
                candidates.push_back({i, [this, i] { add(m_root, m_t[i]); }});
                continue;
            }
            if (i + 1 < kSamples && !std::isnan(v[i + 1]) && v[i + 1] != 0 &&
                signOf(v[i]) != signOf(v[i + 1])) {
                candidates.push_back(
                    {i, [this, i, &v] {
                         if (auto x = refineZero(m_f, m_t[i], v[i], m_t[i + 1], v[i + 1]))
                             add(m_root, *x);
                     }});
            }
            if (i > 0 && i + 1 < kSamples && !std::isnan(v[i - 1]) && !std::isnan(v[i + 1]) &&
                signOf(v[i - 1]) != -signOf(v[i]) && signOf(v[i + 1]) != -signOf(v[i])) {
                const int sign = v[i] < v[i - 1] && v[i] < v[i + 1]   ? 1
                                 : v[i] > v[i - 1] && v[i] > v[i + 1] ? -1
                                                                      : 0;
                if (sign != 0)
                    candidates.push_back({i, [this, i, sign, &v] { turn(i, sign, v); }});
            }
        }
        // Past the cap, those nearest the centre.
        std::stable_sort(candidates.begin(), candidates.end(), [](const auto &p, const auto &q) {
            return std::abs(p.sample - kSamples / 2) < std::abs(q.sample - kSamples / 2);
        });
        bool capped = false;
        for (const Candidate &c : candidates) {
            if (m_found.size() >= std::size_t(kMaxPointsPerCurve)) {
                capped = true;
                break;
            }
            c.refine();
        }
        while (m_found.size() > std::size_t(kMaxPointsPerCurve)) {
            m_found.pop_back();
            capped = true;
        }
        out.insert(out.end(), m_found.begin(), m_found.end());
        return capped;
    }

private:
    void add(PointKind kind, double x)
    {
        const PointOfInterest p{kind, m_curve, x, m_y(x)};
        if (std::find(m_found.begin(), m_found.end(), p) == m_found.end())
            m_found.push_back(p);
    }

    // A sample below (above) both neighbours: the extreme double between them. Where it reaches
    // the axis it is a zero that touches; where it crosses, two zeros hid between the samples.
    void turn(int i, int sign, const std::array<double, kSamples> &v)
    {
        const auto [x, value] = refineExtreme(m_f, m_t[i - 1], m_t[i], v[i], m_t[i + 1], sign);
        if (value == 0) {
            add(m_root, x);
            return;
        }
        if (signOf(value) != signOf(v[i])) {
            if (auto z = refineZero(m_f, m_t[i - 1], v[i - 1], x, value))
                add(m_root, *z);
            if (m_turns)
                add(sign > 0 ? PointKind::Minimum : PointKind::Maximum, x);
            if (auto z = refineZero(m_f, x, value, m_t[i + 1], v[i + 1]))
                add(m_root, *z);
            return;
        }
        if (m_turns)
            add(sign > 0 ? PointKind::Minimum : PointKind::Maximum, x);
    }

    const std::array<double, kSamples> &m_t;
    Function m_f;
    Function m_y;
    PointKind m_root;
    Curve m_curve;
    bool m_turns;
    std::vector<PointOfInterest> m_found;
};

} // namespace

PointsOfInterest findPoints(const PlotView &view, const Equations &equations)
{
    clearUpperVectorState();
    std::array<double, kSamples> t;
    for (int i = 0; i < kSamples; ++i)
        t[i] = view.toWorld(QPointF(i - kSamples / 2, 0)).x();
    PointsOfInterest result;
    const Equation &one = equations[0];
    const Equation &two = equations[1];
    const auto f1 = [&one](double x) { return one.evaluate(x); };
    const auto f2 = [&two](double x) { return two.evaluate(x); };
    if (!one.isEmpty())
        result.capped[0] = Finder(t, f1, f1, PointKind::Root, Curve::One, true).find(result.points);
    if (!two.isEmpty())
        result.capped[1] = Finder(t, f2, f2, PointKind::Root, Curve::Two, true).find(result.points);
    if (!one.isEmpty() && !two.isEmpty()) {
        const auto difference = [&](double x) { return one.evaluate(x) - two.evaluate(x); };
        result.capped[2] =
            Finder(t, difference, f1, PointKind::Crossing, Curve::One, false).find(result.points);
    }
    // Only those the picture shows: a turning point may lie above or below it.
    std::erase_if(result.points, [&view](const PointOfInterest &p) {
        return !(std::fabs(view.toScreen(p.x, p.y).y()) <= kScreenHalf);
    });
    std::sort(result.points.begin(), result.points.end(), [](const auto &p, const auto &q) {
        if (p.x != q.x)
            return p.x < q.x;
        if (p.kind != q.kind)
            return p.kind < q.kind;
        return p.curve < q.curve;
    });
    return result;
}

int nearestPoint(const PointsOfInterest &points, const PlotView &view, QPointF screen, QSizeF area,
                 double pixels)
{
    const QPointF pixel = screenToPixel(screen, area);
    int nearest = -1;
    double best = pixels;
    for (int i = 0; i < int(points.points.size()); ++i) {
        const PointOfInterest &p = points.points[i];
        const QPointF d = screenToPixel(view.toScreen(p.x, p.y), area) - pixel;
        const double distance = std::hypot(d.x(), d.y());
        if (distance < best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}
