#include "equation.h"

#include "core/numtext.h"

#include <array>
#include <cmath>

namespace
{

enum Code : qint16 {
    End = 0,
    Add = 5,
    Sub = 6,
    Mul = 10,
    Div = 11,
    Pow = 20,
    Sin = 40,
    Cos = 41,
    Lg = 42,
    Ln = 43,
    Atn = 44,
};

constexpr int kStack = 100; // top index of either stack

std::optional<qint16> operatorCode(QStringView token)
{
    static const std::pair<QStringView, Code> kOperators[] = {
        {u"+", Add},   {u"-", Sub},   {u"*", Mul}, {u"/", Div}, {u"^", Pow},
        {u"sin", Sin}, {u"cos", Cos}, {u"lg", Lg}, {u"ln", Ln}, {u"atn", Atn},
    };
    for (const auto &[name, code] : kOperators) {
        if (token == name)
            return code;
    }
    return std::nullopt;
}

bool isFunction(qint16 code)
{
    return code >= Sin;
}

int level(qint16 code)
{
    return code >= Sin ? 3 : code / 5;
} // 1 sums, 2 products, 4 power

// Whether the waiting operator `prev` is applied when `next` is pushed on top of it: when it binds
// more tightly, or as tightly with both grouping from the left. A function waits for its operand.
bool appliesBefore(qint16 prev, qint16 next)
{
    if (isFunction(next))
        return false;
    if (prev > next + 3)
        return true;
    return (next == Add || next == Sub || next == Mul || next == Div) && level(prev) == level(next);
}

bool apply(int code, std::array<double, kStack + 1> &vals, int &valtop)
{
    const int t = valtop;
    if (isFunction(code)) {
        double &v = vals[t];
        switch (code) {
        case Sin:
            v = std::sin(v);
            break;
        case Cos:
            v = std::cos(v);
            break;
        case Lg:
            v = std::log(v) / std::log(10.0);
            break;
        case Ln:
            v = std::log(v);
            break;
        default:
            v = std::atan(v);
            break;
        }
        return std::isfinite(v);
    }
    // Too few operands reach down to slot 0, below the bottom; past it there is nothing.
    if (t < 1)
        return false;
    double &a = vals[t - 1];
    const double b = vals[t];
    switch (code) {
    case Add:
        a += b;
        break;
    case Sub:
        a -= b;
        break;
    case Mul:
        a *= b;
        break;
    case Div:
        a /= b;
        break;
    default:
        a = std::pow(a, b);
        break;
    }
    valtop = t - 1;
    // The operands are always finite, so anything else is an overflow, a division by zero or a
    // domain error.
    return std::isfinite(a);
}

} // namespace

std::optional<QStringList> parsegroups(const QString &text)
{
    QString w = QStringLiteral("( ") + text + QStringLiteral(" )");
    QStringList groups{QString()};
    qsizetype k = 0;
    while (w.size() > 4) {
        const qsizetype p = w.indexOf(u')') + 1; // the head runs through the first ")"
        const qsizetype found = w.lastIndexOf(u'(', p - 1);
        if (p > 0 && found >= 0)
            k = p - found;
        // Without a "(" in the head the previous distance stands.
        if (p == 0 || k > p || k < 4)
            return std::nullopt;
        const qsizetype start = p - k;
        groups.append(w.mid(start + 2, k - 4));
        w.replace(start, k, u'y' + QString::number(groups.size() - 1));
    }
    return groups;
}

Equation::Equation(const QStringList &groups) : m_groups(int(groups.size()) - 1)
{
    if (m_groups < 1) {
        m_groups = 0;
        return;
    }
    for (int i = 1; i <= m_groups; ++i) {
        const QString &group = groups[i];
        qsizetype first = 0;
        bool atStart = true;
        while (!group.isEmpty()) {
            qsizetype end = group.indexOf(u' ', first);
            if (end < 0)
                end = group.size();
            const QStringView token = QStringView(group).mid(first, end - first);
            Token t{Kind::Number, 0, 0};
            if (token.startsWith(u'y')) {
                const double ref = std::nearbyint(yaoshi::readEntry(token.mid(1)));
                if (ref >= 0 && ref <= m_groups)
                    t = {Kind::Reference, int(ref), 0};
                else
                    t.kind = Kind::Fail;
            } else if (const auto code = operatorCode(token)) {
                // A group that begins with "-" negates what follows: 0 - ...
                if (atStart && *code == Sub)
                    m_tokens.push_back({Kind::Number, 0, 0});
                t = {Kind::Operator, *code, 0};
            } else if (token == u"x") {
                t.kind = Kind::Variable;
            } else {
                t.value = yaoshi::readEntry(token);
                if (!std::isfinite(t.value))
                    t.kind = Kind::Fail;
            }
            m_tokens.push_back(t);
            atStart = false;
            if (end >= group.size())
                break;
            first = end + 1;
        }
        m_tokens.push_back({Kind::End, 0, 0});
    }
}

std::optional<double> Equation::evaluate(double x) const
{
    if (m_groups == 0)
        return std::nullopt;
    std::array<double, kStack + 1> vals;
    std::array<qint16, kStack + 1> opers;
    std::vector<double> resultsStore;
    std::array<double, 16> resultsSmall;
    double *results = resultsSmall.data();
    if (m_groups >= int(resultsSmall.size())) {
        resultsStore.resize(m_groups + 1);
        results = resultsStore.data();
    }
    results[0] = 0;
    vals[0] = vals[1] = 0;
    opers[0] = End;
    int valtop = 0;
    int opertop = 0;
    int group = 1; // the group being evaluated

    const auto push = [&](double v) {
        if (valtop >= kStack)
            return false;
        vals[++valtop] = v;
        return true;
    };
    const auto pushOperator = [&](qint16 code) {
        if (opertop >= kStack)
            return false;
        opers[++opertop] = code;
        while (opertop > 1 && appliesBefore(opers[opertop - 1], code)) {
            if (!apply(opers[opertop - 1], vals, valtop))
                return false;
            opers[--opertop] = code;
        }
        return true;
    };

    for (const Token &t : m_tokens) {
        bool ok = true;
        switch (t.kind) {
        case Kind::Number:
            ok = push(t.value);
            break;
        case Kind::Variable:
            ok = push(x);
            break;
        case Kind::Reference:
            // A group not computed yet reads 0.
            ok = push(t.code < group ? results[t.code] : 0);
            break;
        case Kind::Operator:
            ok = pushOperator(t.code);
            break;
        case Kind::End:
            ok = pushOperator(End);
            results[group++] = vals[1];
            valtop = opertop = 0;
            break;
        case Kind::Fail:
            ok = false;
            break;
        }
        if (!ok)
            return std::nullopt;
    }
    return results[m_groups];
}

double evalgroups(const QStringList &groups, double x, double ceny, float zoom)
{
    return Equation(groups).evaluate(x).value_or(ceny + 151.0 / zoom);
}
