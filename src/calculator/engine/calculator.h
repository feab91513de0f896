#pragma once

#include "calculator/engine/calcstate.h"
#include "calculator/engine/display.h"
#include "calculator/engine/keytable.h"
#include "calculator/engine/staterecord.h"
#include "calculator/engine/stephistory.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// Why a press was undone.
enum class Fault {
    None,
    DivideByZero,
    Overflow,
    LogDomain,      // lg or Ln of a number that is not positive
    PowerDomain,    // a negative number to a power that is not whole
    ZeroPower,      // zero to a negative power
    FactorialRange, // beyond 170!, or an operand outside 16 bits
    MissingOperand, // an operator with too few operands, as only a damaged record can leave
    EntryFull,      // the 101st keystroke of one number
    OperatorsFull,  // the 101st operator code
    NumbersFull,    // the 201st number
};

// What a press did that the user should hear of: the fault that undid it, and apart from that
// what went wrong with the step history: the step it recorded could not be kept (said once a
// run), or going back found its slot damaged.
struct PressResult {
    Fault fault = Fault::None;
    std::optional<HistoryIssue> history = std::nullopt;
    bool operator==(const PressResult &) const = default;
};

// The text an accepted press appends to the display ("=" then appends its result); empty for
// going back and for no command.
QString pressText(KeyCommand command);

// The calculator engine: evaluates as keys are pressed, appends every accepted press to the
// display, and records its state after each operator so the user can step back.
//
// A press that does not fit the calculation is ignored silently. A press that faults (division by
// zero, overflow, a full stack) is undone entirely and says why.
class Calculator
{
public:
    // The steps are kept in `steps`, written as `writing` says.
    Calculator(CalcDisplay &display, StepStore &steps,
               StepHistory::Writing writing = StepHistory::Writing::Here);

    // Every key of the keypad and the keyboard comes in here.
    PressResult press(KeyCommand command);

    // The user edited the display.
    void markChanged() { m_s.changed = true; }
    // Unchanged, the document needs no recovery record any more.
    void setChanged(bool changed);
    void setDocName(const QString &name) { m_s.docname = name; }
    // Starts a new, unchanged document: counters and document name cleared, display emptied.
    // The step counter and the history are kept, so going back restores the calculation.
    void resetDocument();
    // Takes the display text as the snapshot and returns the state record of a document.
    QByteArray documentRecord();
    // Replaces the calculation with a document's record; on failure changes nothing.
    staterecord::ReadResult openDocument(QByteArrayView record);
    // Replaces the calculation with a recovery record, as an untitled document with unsaved
    // changes; on failure changes nothing.
    staterecord::ReadResult recoverDocument(QByteArrayView record);

    // Whether the display holds changes the user has not saved: more than blanks, changed.
    bool hasUnsavedWork() const;
    // Keeps the calculation as the recovery record when it has unsaved work, and removes the
    // record when it has none. Every press that records a step does this itself.
    void keepRecovery();

    const CalcState &state() const { return m_s; }
    // Waits until the steps recorded so far are written.
    void finishHistory() const { m_history.finish(); }

private:
    PressResult pressCommand(KeyCommand command);
    PressResult pressDigit(int digit);
    PressResult pressPoint();
    PressResult placeConstant(KeyCommand command, double value);
    PressResult pressFunction(int code);
    PressResult pressOpenParen();
    PressResult pressCloseParen();
    PressResult pressOperator(int code);
    PressResult pressFactorial();
    PressResult pressEquals();
    PressResult finishOperator(CalcState &s, Op op);
    PressResult stepBack();
    void appendDisplay(const QString &piece);
    std::optional<HistoryIssue> recordStep(qsizetype textSize = -1);

    CalcDisplay &m_display;
    CalcState m_s;
    StepHistory m_history;
    bool m_historyFailReported = false;
};
