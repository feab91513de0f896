#include "plotter/engine/equation.h"

#include "core/numtext.h"
#include "core/operators.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace
{

using yaoshi::Op;

constexpr int kStack = 100;          // top index of either stack
constexpr int kXSlot = kStack + 1;   // where x sits in the evaluation buffer
constexpr int kResults = kXSlot + 1; // result of group g at kResults + g
constexpr int kSmallBuffer = kResults + 16;
constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();

using Opcode = Equation::Opcode;
using Step = Equation::Step;

// Each operator's steps: applied in place, with a constant on the right, and with a constant on
// the left. Functions take no constant.
struct OpSteps {
    Op op;
    Opcode inPlace;
    Opcode constantRight;
    Opcode constantLeft;
};
constexpr OpSteps kOpSteps[] = {
    // Addition and multiplication commute exactly.
    {Op::Add, Opcode::Add, Opcode::AddK, Opcode::AddK},
    {Op::Sub, Opcode::Sub, Opcode::SubK, Opcode::KSub},
    {Op::Mul, Opcode::Mul, Opcode::MulK, Opcode::MulK},
    {Op::Div, Opcode::Div, Opcode::DivK, Opcode::KDiv},
    {Op::Pow, Opcode::Pow, Opcode::PowK, Opcode::KPow},
    {Op::Sin, Opcode::Sin, Opcode::Fail, Opcode::Fail},
    {Op::Cos, Opcode::Cos, Opcode::Fail, Opcode::Fail},
    {Op::Lg, Opcode::Lg, Opcode::Fail, Opcode::Fail},
    {Op::Ln, Opcode::Ln, Opcode::Fail, Opcode::Fail},
    {Op::Atn, Opcode::Atn, Opcode::Fail, Opcode::Fail},
};

// The row of an operator, or of the step that applies it in place.
template <typename Key, typename Member> constexpr const OpSteps *rowOf(Key key, Member member)
{
    for (const OpSteps &row : kOpSteps) {
        if (row.*member == key)
            return &row;
    }
    return nullptr;
}

// Equations hold no parentheses, and the end marker applies nothing.
constexpr Opcode opcodeOf(Op op)
{
    const OpSteps *row = rowOf(op, &OpSteps::op);
    return row ? row->inPlace : Opcode::Fail;
}

constexpr bool isBinary(Opcode op)
{
    const OpSteps *row = rowOf(op, &OpSteps::inPlace);
    return row && row->constantRight != Opcode::Fail;
}

// The step for `left op k` and for `k op right` with the constant k.
constexpr Opcode constantOnTheRight(Opcode op)
{
    const OpSteps *row = rowOf(op, &OpSteps::inPlace);
    return row ? row->constantRight : Opcode::Fail;
}
constexpr Opcode constantOnTheLeft(Opcode op)
{
    const OpSteps *row = rowOf(op, &OpSteps::inPlace);
    return row ? row->constantLeft : Opcode::Fail;
}
static_assert(opcodeOf(Op::Pow) == Opcode::Pow && constantOnTheLeft(Opcode::Sub) == Opcode::KSub);

bool isStackSlot(int slot)
{
    return slot <= kStack;
}

// The text that takes a group's place once it is cut out: "y" and the group's number.
QString reference(qsizetype group)
{
    return u'y' + QString::number(group);
}

} // namespace

GroupList parsegroups(const QString &text)
{
    QString w;
    w.reserve(text.size() + 4);
    w += u"( ";
    w += text;
    w += u" )";
    QStringList groups{QString()};
    groups.reserve(text.count(u')') + 2); // a group per ")", and the whole text
    qsizetype k = 0;
    while (w.size() > 4) {
        const qsizetype p = w.indexOf(u')') + 1; // the head runs through the first ")"
        if (p == 0) {
            // All cut but a reference too long to end the loop: the whole text was group 1000.
            const bool cut = w == reference(groups.size() - 1);
            return {cut ? GroupFault::TooManyGroups : GroupFault::Unbalanced, {}};
        }
        const qsizetype found = w.lastIndexOf(u'(', p - 1);
        QString group;
        if (found >= 0) {
            k = p - found;
            if (k == 2 || (k == 3 && w[found + 1] == u' ')) {
                // Empty when both parentheses are the text's own, not those wrapped around it.
                const bool own = found > 0 && p < w.size();
                return {own ? GroupFault::EmptyGroup : GroupFault::Unbalanced, {}};
            }
            // A single character in parentheses has no blanks around it to drop.
            group = k == 3 ? w.mid(found + 1, 1) : w.mid(found + 2, k - 4);
        } else {
            // Without a "(" in the head the previous distance stands: a surplus ")" cuts
            // whatever lies before it.
            if (k > p || k < 4)
                return {GroupFault::Unbalanced, {}};
            group = w.mid(p - k + 2, k - 4);
        }
        groups.append(group);
        w.replace(p - k, k, reference(groups.size() - 1));
    }
    return {GroupFault::None, groups};
}

Equation::Equation(const QStringList &groups) : m_groups(int(groups.size()) - 1)
{
    if (m_groups < 1) {
        m_groups = 0;
        return;
    }
    if (kResults + m_groups > 0xFFFF) { // beyond what a step can address
        m_steps.push_back({Opcode::Fail, 0, 0, 0, 0});
        return;
    }
    std::vector<Group> compiled(m_groups + 1);
    std::vector<int> uses(m_groups + 1);
    bool inlinable = true;
    int slots = 0;
    std::size_t steps = 0;
    for (int i = 1; i <= m_groups; ++i) {
        compiled[i] = compileGroup(groups[i], i);
        if (compiled[i].failed) {
            m_steps = {{Opcode::Fail, 0, 0, 0, 0}};
            return;
        }
        for (const Step &step : compiled[i].steps) {
            if (step.op == Opcode::Copy && step.left > kResults)
                ++uses[step.left - kResults];
        }
        inlinable = inlinable && compiled[i].selfContained;
        slots += compiled[i].maxSlot;
        steps += compiled[i].steps.size() + 1;
    }
    // A group used once is computed where it is used, in the slots above the stack there, so its
    // result needs no storing and fetching. Only when every group keeps to its own slots, and all
    // of them stacked up fit, does moving them change nothing.
    m_steps.reserve(steps); // folding only ever drops steps
    std::vector<bool> inlined(m_groups + 1);
    for (int i = 1; i < m_groups; ++i)
        inlined[i] = inlinable && slots <= kStack && uses[i] == 1;
    for (int i = 1; i <= m_groups; ++i) {
        if (inlined[i])
            continue;
        append(compiled, inlined, i, 0);
        if (i < m_groups) // the last result is read from slot 1
            addStep({Opcode::Copy, quint16(kResults + i), 1, 0, 0});
    }
}

void Equation::append(const std::vector<Group> &compiled, const std::vector<bool> &inlined,
                      int group, int shift)
{
    for (Step step : compiled[group].steps) {
        step.slot += shift;
        if (isStackSlot(step.left))
            step.left += shift;
        if (isStackSlot(step.right))
            step.right += shift;
        if (step.op == Opcode::Copy && step.left > kResults && inlined[step.left - kResults])
            append(compiled, inlined, step.left - kResults, step.slot - 1);
        else
            addStep(step);
    }
}

// Appends a step and folds it with the steps before it where that saves work:
// - a value loaded just before a binary step as its right operand becomes the operand itself;
// - a value copied into the slot a step reads in place is read from where it came from;
// - a constant on the left of a binary step becomes the step's constant; a right side that is
//   computed on the stack is computed one slot lower.
// A slot left behind by a fold lies above the stack top and is written again before anything
// reads it. Slot 0 is left alone: operators short of operands meet there.
void Equation::addStep(Step step)
{
    using enum Opcode;
    for (;;) {
        if (m_steps.empty() || step.slot < 1)
            break;
        Step &last = m_steps.back();
        if (isBinary(step.op) && step.right == step.slot + 1 && last.slot == step.right &&
            (last.op == Const || last.op == Copy)) {
            if (last.op == Copy) {
                step.right = last.left;
            } else {
                step.value = last.value;
                step.op = step.op == Pow && last.value == 2 ? Square : constantOnTheRight(step.op);
            }
            m_steps.pop_back();
            continue;
        }
        if (step.op != Const && step.op != Copy && step.op != Fail && step.left == step.slot &&
            last.op == Copy && last.slot == step.slot) {
            step.left = last.left;
            m_steps.pop_back();
            continue;
        }
        if (isBinary(step.op) && step.left == step.slot &&
            (step.right == step.slot + 1 || !isStackSlot(step.right)) && foldLeftConstant(step))
            continue;
        break;
    }
    // A group that starts from the result the previous group just stored from slot 1.
    if (step.op == Copy && step.slot == 1 && !m_steps.empty() && m_steps.back().op == Copy &&
        m_steps.back().slot == step.left && m_steps.back().left == 1)
        return;
    m_steps.push_back(step);
}

// k op (right side): drops the load of k. A right side that is read from elsewhere becomes the
// left operand; one computed on the stack is moved down into k's slot.
bool Equation::foldLeftConstant(Step &step)
{
    using enum Opcode;
    if (!isStackSlot(step.right)) {
        if (m_steps.back().op != Const || m_steps.back().slot != step.slot)
            return false;
        step.value = m_steps.back().value;
        step.left = step.right;
        m_steps.pop_back();
    } else {
        // The right side is the run of steps since k was loaded: all of them above k's slot.
        const auto above = [&](int slot) { return !isStackSlot(slot) || slot > step.slot; };
        auto load = m_steps.end();
        while (load != m_steps.begin() && isStackSlot((load - 1)->slot) &&
               (load - 1)->slot > step.slot && above((load - 1)->left) &&
               (!isBinary((load - 1)->op) || above((load - 1)->right)))
            --load;
        if (load == m_steps.begin() || (load - 1)->op != Const || (load - 1)->slot != step.slot)
            return false;
        --load;
        step.value = load->value;
        for (auto s = load + 1; s != m_steps.end(); ++s) {
            --s->slot;
            if (isStackSlot(s->left))
                --s->left;
            if (isStackSlot(s->right))
                --s->right;
        }
        m_steps.erase(load);
    }
    step.op = constantOnTheLeft(step.op);
    return true;
}

// Runs the two-stack evaluation of one group on the tokens alone and writes down each step it
// would take. A stack overflow, an operator short of operands or a bad reference fails the
// group: evaluation would always reach it, so the equation is undefined everywhere.
Equation::Group Equation::compileGroup(const QString &text, int index) const
{
    Group group;
    // At most a step for each token, one for a leading minus, and one for each operator applied.
    group.steps.reserve(2 * std::size_t(text.count(u' ') + 2));
    std::array<Op, kStack + 1> opers{};
    int valtop = 0;
    int opertop = 0;
    // In place: a step reads the slot it writes, a binary step the slot above as well.
    const auto add = [&](Opcode op, int slot, int left, double value) {
        group.steps.push_back({op, quint16(slot), quint16(left), quint16(slot + 1), value});
        group.maxSlot = std::max(group.maxSlot, slot);
        group.selfContained = group.selfContained && slot >= 1;
    };
    // Loads a value onto the stack: a Copy reads `source`, a Const is its own.
    const auto push = [&](Opcode op, int source, double value) {
        if (valtop >= kStack)
            return false;
        ++valtop;
        add(op, valtop, op == Opcode::Copy ? source : valtop, value);
        return true;
    };
    const auto pushOperator = [&](Op code) {
        if (opertop >= kStack)
            return false;
        opers[++opertop] = code;
        while (opertop > 1 && yaoshi::appliesBefore(opers[opertop - 1], code)) {
            const Op prev = opers[opertop - 1];
            if (yaoshi::isFunction(prev)) {
                add(opcodeOf(prev), valtop, valtop, 0);
            } else {
                // Too few operands reach down to slot 0, below the bottom; past it is nothing.
                if (valtop < 1)
                    return false;
                add(opcodeOf(prev), valtop - 1, valtop - 1, 0);
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
        } else if (const auto code = yaoshi::opFromToken(token)) {
            // A group that begins with "-" negates what follows: 0 - ...
            if (first == 0 && *code == Op::Sub)
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
    group.failed = !pushOperator(Op::End);
    // The group's value is slot 1, its own only when it left exactly one value there.
    group.selfContained = group.selfContained && valtop == 1;
    return group;
}

double Equation::evaluate(double x) const
{
    if (m_groups == 0)
        return kUndefined;
    if (kResults + m_groups < kSmallBuffer) {
        std::array<double, kSmallBuffer> buffer;
        return run(buffer.data(), x);
    }
    std::vector<double> buffer(kResults + m_groups + 1);
    return run(buffer.data(), x);
}

double Equation::run(double *b, double x) const
{
    using enum Opcode;
    b[0] = b[1] = 0;
    b[kXSlot] = x;
    // The operands start finite, so the first result that is not is an overflow, a division by
    // zero or a domain error. Going on with it harms nothing and saves a branch a step.
    bool finite = true;
    for (const Step &s : m_steps) {
        const double l = b[s.left];
        double v;
        Q_ASSUME(s.op <= Fail); // every step is one of the cases below
        switch (s.op) {
        case Const:
            b[s.slot] = s.value;
            continue;
        case Copy:
            b[s.slot] = l;
            continue;
        case Fail:
            return kUndefined;
        case Add:
            v = yaoshi::applyBinary(Op::Add, l, b[s.right]);
            break;
        case Sub:
            v = yaoshi::applyBinary(Op::Sub, l, b[s.right]);
            break;
        case Mul:
            v = yaoshi::applyBinary(Op::Mul, l, b[s.right]);
            break;
        case Div:
            v = yaoshi::applyBinary(Op::Div, l, b[s.right]);
            break;
        case Pow:
            v = yaoshi::applyBinary(Op::Pow, l, b[s.right]);
            break;
        case AddK:
            v = yaoshi::applyBinary(Op::Add, l, s.value);
            break;
        case SubK:
            v = yaoshi::applyBinary(Op::Sub, l, s.value);
            break;
        case MulK:
            v = yaoshi::applyBinary(Op::Mul, l, s.value);
            break;
        case DivK:
            v = yaoshi::applyBinary(Op::Div, l, s.value);
            break;
        case PowK:
            v = yaoshi::applyBinary(Op::Pow, l, s.value);
            break;
        case KSub:
            v = yaoshi::applyBinary(Op::Sub, s.value, l);
            break;
        case KDiv:
            v = yaoshi::applyBinary(Op::Div, s.value, l);
            break;
        case KPow:
            v = yaoshi::applyBinary(Op::Pow, s.value, l);
            break;
        case Square: // a constant 2 needs no test for it
            v = l * l;
            break;
        case Sin:
            v = yaoshi::applyFunction(Op::Sin, l);
            break;
        case Cos:
            v = yaoshi::applyFunction(Op::Cos, l);
            break;
        case Lg:
            v = yaoshi::applyFunction(Op::Lg, l);
            break;
        case Ln:
            v = yaoshi::applyFunction(Op::Ln, l);
            break;
        case Atn:
            v = yaoshi::applyFunction(Op::Atn, l);
            break;
        }
        b[s.slot] = v;
        finite &= std::isfinite(v);
    }
    return finite ? b[1] : kUndefined;
}
