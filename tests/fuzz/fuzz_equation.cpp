// Equation text in, conversion and evaluation at several x: never crashes, every value is finite
// or undefined, and the compiled steps give exactly what the plain two-stack evaluation gives.
#include "core/numtext.h"
#include "plotter/engine/equation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();

int code(QStringView token)
{
    if (token.size() > 3) // longer than any name
        return -1;
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

// A token as the two-stack evaluation sees it: read once, so that the evaluation at each x
// repeats only the stack work.
struct Token {
    enum class Kind : quint8 { Value, X, Result, Operator, Bad } kind;
    int code;     // the operator's code, or the group a Result refers to
    double value; // a Value's number
};

// The tokens of every group one after another; group i is tokens[start[i]] up to tokens[start[i
// + 1]].
struct Tokens {
    std::vector<Token> tokens;
    std::vector<std::size_t> start;
    int groups() const { return int(start.size()) - 2; }
};

Tokens tokenise(const QStringList &groups, qsizetype textSize)
{
    const int n = int(groups.size()) - 1;
    Tokens out;
    // Tokens stand apart by blanks: about one in two characters at most.
    out.tokens.reserve(std::size_t(textSize / 2) + groups.size());
    out.start.reserve(std::size_t(std::max(n, 0)) + 2);
    out.start.push_back(0);
    for (int i = 1; i <= n; ++i) {
        out.start.push_back(out.tokens.size());
        const QString &group = groups[i];
        for (qsizetype first = 0; !group.isEmpty();) {
            qsizetype end = group.indexOf(u' ', first);
            if (end < 0)
                end = group.size();
            const QStringView token = QStringView(group).mid(first, end - first);
            Token t{Token::Kind::Bad, 0, 0};
            if (token.startsWith(u'y')) {
                const double m = std::nearbyint(yaoshi::readEntry(token.mid(1)));
                if (m >= 0 && m <= n)
                    t = {Token::Kind::Result, int(m), 0};
            } else if (const int c = code(token); c >= 0) {
                t = {Token::Kind::Operator, c, 0};
            } else if (token == u"x") {
                t = {Token::Kind::X, 0, 0};
            } else if (const double v = yaoshi::readEntry(token); std::isfinite(v)) {
                t = {Token::Kind::Value, 0, v};
            }
            out.tokens.push_back(t);
            if (end == group.size())
                break;
            first = end + 1;
        }
    }
    out.start.push_back(out.tokens.size());
    return out;
}

// The evaluation as the plotter's two stacks do it, token by token.
// `results` holds a slot for each group.
double reference(const Tokens &groups, double x, std::vector<double> &results)
{
    const int n = groups.groups();
    if (n < 1)
        return kUndefined;
    std::fill(results.begin(), results.end(), 0.0);
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
        const std::size_t first = groups.start[i];
        for (std::size_t t = first; t < groups.start[i + 1]; ++t) {
            const Token &token = groups.tokens[t];
            bool ok = true;
            switch (token.kind) {
            case Token::Kind::Result:
                ok = push(results[token.code]);
                break;
            case Token::Kind::Operator:
                if (t == first && token.code == 6)
                    push(0);
                ok = pushOperator(token.code);
                break;
            case Token::Kind::X:
                ok = push(x);
                break;
            case Token::Kind::Value:
                ok = push(token.value);
                break;
            case Token::Kind::Bad:
                ok = false;
                break;
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
    const Tokens tokens = tokenise(groups, text.size());
    std::vector<double> results(groups.size());
    for (const double x : {-150.0, -1.0, 0.0, 0.5, 1.0, 3.0, 150.0, 1e300}) {
        const double value = equation.evaluate(x);
        if (std::isinf(value) || !same(value, reference(tokens, x, results)))
            std::abort();
    }
    return 0;
}
