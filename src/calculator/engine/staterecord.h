#pragma once

#include "calculator/engine/calcstate.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The state record: the display text and the whole calculator state as lines of comma-separated
// fields, the format of both the step files and the documents.
//
//   "display text",numtop,parens,optop,numlen,pointset,"pending entry",#TRUE#,stepcount
//   one line per live number, nums 1..numtop
//   one line per live operator code, ops 1..optop
//   ten quoted slot names
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

// Writes `state` with `state.snaptext` as the display text; the name lines hold the name of step
// slot `slot` (" 5"), never a folder.
QByteArray write(const CalcState &state, int slot);
// The same with `text` as the display text instead of `state.snaptext`.
QByteArray write(const CalcState &state, int slot, QStringView text);

// Why a record was refused.
enum class Error {
    None,
    Empty,
    UnknownEncoding, // neither UTF-8 nor GB18030
    UnclosedQuote,   // a quoted field runs to the end of the record
    TextAfterQuote,  // on `line`
    HeadFieldCount,  // the first line does not have 9 fields
    HeadUnquoted,    // the display text or the entry without quotes
    HeadNotInteger,  // a counter that is no integer
    HeadOutOfRange,  // a counter beyond the bounds of the state
    HeadFlag,        // the changed flag is neither #TRUE# nor #FALSE#
    StackLineCount,  // the stack lines do not match the counters
    NameLineCount,   // too few or too many name lines
    LineFormat,      // `line` is not a single field of its kind
    NotFinite,       // `line` is no finite number
    NotOperator,     // `line` is no operator code
};

struct ReadResult {
    Error error = Error::None;
    int line = 0; // the line an error is on, counted from 1
    // An older record that kept only the odd stack positions, with entries in the even ones: its
    // text, flag and step count were read, and the calculation it was in starts afresh.
    bool calculationDropped = false;
    // The display text was left out, as asked: `state.snaptext` is null.
    bool textLeftOut = false;
    bool ok() const { return error == Error::None; }
    bool operator==(const ReadResult &) const = default;
};

// Whether read() decodes the display text, or leaves it out of a record that this program wrote
// and whose text the caller already holds, so that megabytes are not decoded again.
enum class Text { Decode, LeaveOut };

// Reads a record over `state`. On success `state` holds the record; otherwise `state` is
// untouched.
ReadResult read(QByteArrayView bytes, CalcState &state, Text text = Text::Decode);

} // namespace staterecord
