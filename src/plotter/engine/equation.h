#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// An equation as the plotter keeps it: its group list, the parenthesised groups innermost first,
// each without its own parentheses and with inner groups replaced by references "y1", "y2", ...
// Slot 0 is empty; the last slot is the whole equation.
//
// Tokens stand apart by single blanks, parentheses included: "( x + 20 ) ^ 2" gives
// {"", "x + 20", "y1 ^ 2"}. A text that breaks the rule converts to something else, not to an
// error ("(x)" is the group "x"), unless its groups cannot be cut out at all.

// The most groups a text can have, the whole text included: cutting ends on a reference of at
// most four characters ("y999").
constexpr int kMaxGroups = 999;

// Why a text has no group list.
enum class GroupFault {
    None,
    Unbalanced,    // a "(" that is never closed, or a ")" with no "(" before it
    EmptyGroup,    // "( )" or "()"
    TooManyGroups, // more than kMaxGroups
};

struct GroupList {
    GroupFault fault = GroupFault::None;
    QStringList groups; // empty unless fault is None
    bool operator==(const GroupList &) const = default;
};

GroupList parsegroups(const QString &text);

// A group list compiled once per Run. Where the stacks stand at every token depends only on the
// tokens, never on x, so the whole evaluation is worked out here, once, as a straight run of
// steps on fixed stack slots; evaluating at a sample only does the arithmetic.
class Equation
{
public:
    Equation() = default;
    explicit Equation(const QStringList &groups);

    // The value at x: always finite, or NaN where the equation is undefined (a pole, a logarithm
    // of a negative number, an overflow, a stack overflow, a bad group reference).
    double evaluate(double x) const;
    // No equation: the box was empty, or its text had no group list.
    bool isEmpty() const { return m_groups == 0; }

    // A step works on one buffer: the value stack in slots 0..100, then x, then the results of
    // the groups. It reads its left operand (and a binary step its right operand, or its
    // constant) and writes its slot.
    enum class Opcode : quint8 {
        Const, // b[slot] = value
        Copy,  // b[slot] = b[left]
        Add,   // b[slot] = b[left] + b[right]
        Sub,
        Mul,
        Div,
        Pow,
        AddK, // b[slot] = b[left] + value
        SubK,
        MulK,
        DivK,
        PowK,
        KSub, // b[slot] = value - b[left]
        KDiv,
        KPow,
        Square, // b[slot] = b[left] * b[left]
        Sin,    // b[slot] = sin(b[left])
        Cos,
        Lg,
        Ln,
        Atn,
        Fail,
    };
    struct Step {
        Opcode op;
        quint16 slot;
        quint16 left;
        quint16 right;
        double value;
    };

private:
    struct Group {
        std::vector<Step> steps;
        int maxSlot = 0;
        bool selfContained = true; // touches no slot below 1 and leaves one value
        bool failed = false;
    };
    Group compileGroup(const QString &text, int index) const;
    void append(const std::vector<Group> &compiled, const std::vector<bool> &inlined, int group,
                int shift);
    void addStep(Step step);
    bool foldLeftConstant(Step &step);
    double run(double *buffer, double x) const;

    std::vector<Step> m_steps;
    int m_groups = 0;
};
