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

constexpr int kStack = 100;          // top index of either stack
constexpr int kXSlot = kStack + 1;   // where x sits in the evaluation buffer
constexpr int kResults = kXSlot + 1; // result of group g at kResults + g
constexpr int kSmallBuffer = kResults + 16;

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
    if (kResults + m_groups > 0xFFFF) { // beyond what a step can address
        m_steps.push_back({Opcode::Fail, 0, 0, 0});
        return;
    }
    std::vector<Group> compiled(m_groups + 1);
    std::vector<int> uses(m_groups + 1);
    bool inlinable = true;
    int slots = 0;
    for (int i = 1; i <= m_groups; ++i) {
        compiled[i] = compileGroup(groups[i], i);
        if (compiled[i].failed) {
            m_steps = {{Opcode::Fail, 0, 0, 0}};
            return;
        }
        for (const Step &step : compiled[i].steps) {
            if (step.op == Opcode::Copy && step.source > kResults)
                ++uses[step.source - kResults];
        }
        inlinable = inlinable && compiled[i].selfContained;
        slots += compiled[i].maxSlot;
    }
    // A group used once is computed where it is used, in the slots above the stack there, so its
    // result needs no storing and fetching. Only when every group keeps to its own slots, and all
    // of them stacked up fit, does moving them change nothing.
    std::vector<bool> inlined(m_groups + 1);
    for (int i = 1; i < m_groups; ++i)
        inlined[i] = inlinable && slots <= kStack && uses[i] == 1;
    for (int i = 1; i <= m_groups; ++i) {
        if (inlined[i])
            continue;
        append(compiled, inlined, i, 0);
        if (i < m_groups) // the last result is read from slot 1
            emit({Opcode::Copy, quint16(kResults + i), 1, 0});
    }
}

void Equation::append(const std::vector<Group> &compiled, const std::vector<bool> &inlined,
                      int group, int shift)
{
    for (Step step : compiled[group].steps) {
        step.slot += shift;
        if (step.op >= Opcode::Add && step.op <= Opcode::Pow)
            step.source += shift;
        if (step.op == Opcode::Copy && step.source > kResults && inlined[step.source - kResults])
            append(compiled, inlined, step.source - kResults, step.slot - 1);
        else
            emit(step);
    }
}

// Appends a step, folding a load into the binary step that consumes it at once: the loaded slot
// is above the stack top afterwards and is written again before anything reads it. Slot 1 is
// left alone, since the end of a group may read it when the stack ran empty.
void Equation::emit(Step step)
{
    using enum Opcode;
    if (!m_steps.empty() && step.op >= Add && step.op <= Pow && step.slot >= 1) {
        Step &last = m_steps.back();
        if (last.slot == step.slot + 1 && (last.op == Const || last.op == Copy)) {
            if (last.op == Const) {
                step.op = step.op == Pow && last.value == 2
                              ? Square
                              : Opcode(int(step.op) + int(AddK) - int(Add));
                step.value = last.value;
            } else {
                step.source = last.source;
            }
            last = step;
            return;
        }
    }
    // A group that starts from the result the previous group just left in slot 1.
    if (step.op == Copy && step.slot == 1 && !m_steps.empty() && m_steps.back().op == Copy &&
        m_steps.back().slot == step.source && m_steps.back().source == 1)
        return;
    m_steps.push_back(step);
}

// Runs the two-stack evaluation of one group on the tokens alone and writes down each step it
// would take. A stack overflow, an operator short of operands or a bad reference fails the
// group: evaluation would always reach it, so the equation is undefined everywhere.
Equation::Group Equation::compileGroup(const QString &text, int index) const
{
    Group group;
    std::array<qint16, kStack + 1> opers{};
    int valtop = 0;
    int opertop = 0;
    const auto add = [&](Opcode op, int slot, int source, double value) {
        group.steps.push_back({op, quint16(slot), source, value});
        group.maxSlot = std::max(group.maxSlot, slot);
        group.selfContained = group.selfContained && slot >= 1;
    };
    const auto push = [&](Opcode op, int source, double value) {
        if (valtop >= kStack)
            return false;
        add(op, ++valtop, source, value);
        return true;
    };
    const auto pushOperator = [&](qint16 code) {
        if (opertop >= kStack)
            return false;
        opers[++opertop] = code;
        while (opertop > 1 && appliesBefore(opers[opertop - 1], code)) {
            const qint16 prev = opers[opertop - 1];
            if (isFunction(prev)) {
                add(Opcode(int(Opcode::Sin) + prev - Sin), valtop, 0, 0);
            } else {
                // Too few operands reach down to slot 0, below the bottom; past it is nothing.
                if (valtop < 1)
                    return false;
                const Opcode op = prev == Add   ? Opcode::Add
                                  : prev == Sub ? Opcode::Sub
                                  : prev == Mul ? Opcode::Mul
                                  : prev == Div ? Opcode::Div
                                                : Opcode::Pow;
                add(op, valtop - 1, valtop, 0);
                --valtop;
            }
            opers[--opertop] = code;
        }
        return true;
    };

    qsizetype first = 0;
    while (!text.isEmpty()) {
        qsizetype end = text.indexOf(u' ', first);
        if (end < 0)
            end = text.size();
        const QStringView token = QStringView(text).mid(first, end - first);
        bool ok = true;
        if (token.startsWith(u'y')) {
            const double ref = std::nearbyint(yaoshi::readEntry(token.mid(1)));
            if (!(ref >= 0 && ref <= m_groups))
                ok = false;
            else if (ref >= 1 && ref < index)
                ok = push(Opcode::Copy, kResults + int(ref), 0);
            else // slot 0, or a group not computed yet, reads 0
                ok = push(Opcode::Const, 0, 0);
        } else if (const auto code = operatorCode(token)) {
            // A group that begins with "-" negates what follows: 0 - ...
            if (first == 0 && *code == Sub)
                push(Opcode::Const, 0, 0);
            ok = pushOperator(*code);
        } else if (token == u"x") {
            ok = push(Opcode::Copy, kXSlot, 0);
        } else {
            const double value = yaoshi::readEntry(token);
            ok = std::isfinite(value) && push(Opcode::Const, 0, value);
        }
        if (!ok) {
            group.failed = true;
            return group;
        }
        if (end >= text.size())
            break;
        first = end + 1;
    }
    group.failed = !pushOperator(End);
    // The group's value is slot 1, its own only when it left exactly one value there.
    group.selfContained = group.selfContained && valtop == 1;
    return group;
}

std::optional<double> Equation::evaluate(double x) const
{
    if (m_groups == 0)
        return std::nullopt;
    if (kResults + m_groups < kSmallBuffer) {
        std::array<double, kSmallBuffer> buffer;
        return run(buffer.data(), x);
    }
    std::vector<double> buffer(kResults + m_groups + 1);
    return run(buffer.data(), x);
}

std::optional<double> Equation::run(double *b, double x) const
{
    b[0] = b[1] = 0;
    b[kXSlot] = x;
    // The operands start finite, so the first result that is not is an overflow, a division by
    // zero or a domain error. Going on with it harms nothing and saves a branch a step.
    bool finite = true;
    for (const Step &s : m_steps) {
        double &v = b[s.slot];
        switch (s.op) {
        case Opcode::Const:
            v = s.value;
            continue;
        case Opcode::Copy:
            v = b[s.source];
            continue;
        case Opcode::Fail:
            return std::nullopt;
        case Opcode::Add:
            v += b[s.source];
            break;
        case Opcode::Sub:
            v -= b[s.source];
            break;
        case Opcode::Mul:
            v *= b[s.source];
            break;
        case Opcode::Div:
            v /= b[s.source];
            break;
        case Opcode::Pow:
            v = std::pow(v, b[s.source]);
            break;
        case Opcode::AddK:
            v += s.value;
            break;
        case Opcode::SubK:
            v -= s.value;
            break;
        case Opcode::MulK:
            v *= s.value;
            break;
        case Opcode::DivK:
            v /= s.value;
            break;
        case Opcode::PowK:
            v = std::pow(v, s.value);
            break;
        case Opcode::Square: // exact, as pow is correctly rounded
            v *= v;
            break;
        case Opcode::Sin:
            v = std::sin(v);
            break;
        case Opcode::Cos:
            v = std::cos(v);
            break;
        case Opcode::Lg:
            v = std::log(v) / std::log(10.0);
            break;
        case Opcode::Ln:
            v = std::log(v);
            break;
        case Opcode::Atn:
            v = std::atan(v);
            break;
        }
        finite &= std::isfinite(v);
    }
    if (!finite)
        return std::nullopt;
    return b[1];
}

double evalgroups(const QStringList &groups, double x, double ceny, float zoom)
{
    return Equation(groups).evaluate(x).value_or(ceny + 151.0 / zoom);
}
