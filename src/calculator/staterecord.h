#pragma once

#include "calcstate.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The state record: the display text and the whole calculator state as lines of comma-separated
// fields, the format of both the step files and the documents.
//
//   "display text",numtop,parens,optop,numlen,pointset,"pending entry",#TRUE#,stepcount
//   one line per live number, nums 1..numtop
//   one line per live operator code, ops 1..optop
//   ten quoted slot file names
//
// Strings are quoted with inner quotes doubled; reals are the shortest text that reads back to
// the same double. Records are written as UTF-8 with CR LF line ends.
namespace staterecord
{

constexpr int kNameLines = 10;
constexpr int kMaxNameLines = 20;
// The largest record written or read: a larger display takes seconds to lay out, and whatever
// is written must read back.
constexpr qint64 kMaxBytes = 8 * 1024 * 1024;

// Writes `state` with `state.snaptext` as the display text; the name lines hold `slotName`.
QByteArray write(const CalcState &state, const QString &slotName);

// Reads a record over `state`. Older records that hold only the odd stack positions are read
// too; the even positions then keep what `state` had. On success returns an empty string and
// `state` holds the record; otherwise returns why, and `state` is untouched.
QString read(QByteArrayView bytes, CalcState &state);

} // namespace staterecord
