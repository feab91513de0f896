#pragma once

#include "core/operators.h"

#include <QString>
#include <QtGlobal>

#include <array>

// The stacks hold the shared operator codes.
using yaoshi::Op;

constexpr int kMaxEntry = 100;  // keystrokes of one number entry
constexpr int kMaxOps = 100;    // live operator codes
constexpr int kMaxNums = 200;   // live numbers
constexpr int kSteps = 20;      // history slots
constexpr int kPlacedEntry = 9; // keystroke count given to constants and factorial results

// The calculator's whole working state. Index 0 of each stack lies below its bottom; entries
// above the tops keep stale values that nothing reads.
struct CalcState {
    qint16 numlen = 0;
    // The pending entry's text after its latest keystroke, read only while numlen is above 0.
    // The texts after earlier keystrokes are not kept: nothing reads them, and the state is
    // copied on every operator key.
    QString entry;
    std::array<qint16, kMaxOps + 1> ops{};
    std::array<double, kMaxNums + 1> nums{};
    qint16 pointset = 0;
    qint16 optop = 0;
    qint16 numtop = 0;
    qint16 parens = 0;
    bool changed = false;
    QString docname;
    QString snaptext;
    qint32 stepcount = 0;

    Op topOp() const { return Op(ops[optop]); }
    QString pendingText() const { return numlen > 0 ? entry : QString(); }
};

// Step n is kept in slot n mod 20, a remainder of 0 meaning slot 20.
constexpr int slotOf(qint32 step)
{
    const int r = int(step % kSteps);
    return r <= 0 ? r + kSteps : r;
}

// The name of slot k's file and of the record's name lines: a blank and the number.
inline QString slotName(int slot)
{
    return u' ' + QString::number(slot);
}
