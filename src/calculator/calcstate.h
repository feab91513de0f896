#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// Operator codes as the stacks and the state records store them. The codes of the arithmetic and
// function keys are the indexes of those keys in their button groups.
enum class Op : qint16 {
    OpenParen = 0,
    Closed = 1, // stands where a "(" stood once its group is closed: an operand is ready
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
    End = -5, // "="
};

constexpr bool isFunction(Op op)
{
    return op >= Op::Sin && op <= Op::Atn;
}

constexpr bool isArithmetic(Op op)
{
    return op == Op::Add || op == Op::Sub || op == Op::Mul || op == Op::Div;
}

constexpr bool isKnownOp(qint16 code)
{
    const Op op = Op(code);
    return op == Op::OpenParen || op == Op::Closed || op == Op::Pow || op == Op::End ||
           isArithmetic(op) || isFunction(op);
}

constexpr int kMaxEntry = 100;  // keystrokes of one number entry
constexpr int kMaxOps = 100;    // live operator codes
constexpr int kMaxNums = 200;   // live numbers
constexpr int kSteps = 20;      // history slots
constexpr int kPlacedEntry = 9; // entry slot that takes constants and factorial results

// The calculator's whole working state. Index 0 of each stack lies below its bottom; entries
// above the tops keep stale values that nothing reads.
struct CalcState {
    qint16 numlen = 0;
    std::array<QString, kMaxEntry + 1> numtext;
    std::array<qint16, kMaxOps + 1> ops{};
    std::array<double, kMaxNums + 1> nums{};
    qint16 pointset = 0;
    qint16 optop = 0;
    qint16 numtop = 0;
    qint16 parens = 0;
    bool changed = false;
    QString docname;
    QString snaptext;
    std::array<QString, kSteps + 1> stepfiles;
    qint32 stepcount = 0;

    Op topOp() const { return Op(ops[optop]); }
};

// Step n is kept in slot n mod 20, a remainder of 0 meaning slot 20.
constexpr int slotOf(qint32 step)
{
    const int r = int(step % kSteps);
    return r <= 0 ? r + kSteps : r;
}
