#pragma once

#include "calcstate.h"
#include "display.h"

#include <QByteArrayView>
#include <QString>

#include <array>

// The calculator engine: evaluates as keys are pressed, appends every accepted press to the
// display, and records its state after each operator so the user can step back.
//
// Every press returns a message for the user, empty when there is none. A press that does not fit
// the calculation is ignored silently. A press that faults (division by zero, overflow, a full
// stack) is undone entirely and returns why.
class Calculator
{
public:
    // `stepFolder` ends with a separator; slot k's file is the folder followed by " k".
    Calculator(CalcDisplay &display, QString stepFolder);

    static QString defaultStepFolder();
    QString slotFile(int slot) const;

    QString pressDigit(int digit);
    QString pressPoint();
    QString pressPi();
    QString pressE();
    QString pressFunction(Op function);
    QString pressOpenParen();
    QString pressCloseParen();
    QString pressOperator(Op op);
    QString pressPower();
    QString pressFactorial();
    QString pressEquals();
    // Restores the latest recorded step; false when there is none to go back to.
    bool stepBack();

    // The display was edited by the user.
    void markChanged() { m_s.changed = true; }
    void setChanged(bool changed) { m_s.changed = changed; }
    void setDocName(const QString &name) { m_s.docname = name; }
    // Starts a new, unchanged document: counters and document name cleared, display emptied.
    void resetDocument();
    // Takes the display text as the snapshot and returns the state record of a document.
    QByteArray documentRecord();
    // Replaces the calculation with a document's record; on failure returns why and changes
    // nothing.
    QString openDocument(QByteArrayView record);

    const CalcState &state() const { return m_s; }

private:
    void appendDisplay(const QString &piece);
    QString recordStep();
    QString writeSlot(int slot, const QByteArray &record);
    QString finishOperator(CalcState &s, Op op, QString caption);

    CalcDisplay &m_display;
    QString m_stepFolder;
    CalcState m_s;
    // The step each slot was last written with in this run, so going back never reads a slot
    // that a newer step, a failed write or another run left behind.
    std::array<qint32, kSteps + 1> m_slotStep{};
    bool m_folderReady = false;
    bool m_historyFailReported = false;
};

// The text a key appends for a function or arithmetic code.
QString opCaption(Op op);
