#pragma once

#include "calcstate.h"
#include "stepstore.h"

#include <array>

// The last kSteps recorded states of one calculation, so the user can step back. Step n is kept
// in slot n mod kSteps of a store. Going back restores only a slot that this history wrote for
// exactly that step and that still holds, byte for byte, what it wrote: never a step of another
// copy, of an earlier run, of a document or of a calculation before New or Open.
class StepHistory
{
public:
    explicit StepHistory(StepStore &store) : m_store(store) {}

    // Raises the counter of `state` and keeps `state` (its snaptext as the display text) as the
    // record of that step.
    HistoryIssue record(CalcState &state);

    struct Back {
        bool restored = false;
        HistoryIssue issue;
    };
    // Reads the record of the counter's step over `state` and lowers the counter by one. Nothing
    // to go back to, or a slot that is not as written, leaves `state` as it was.
    Back back(CalcState &state);

    // Forgets every step kept so far: going back stops at the next step recorded.
    void restart() { m_written = {}; }

private:
    struct Written {
        qint32 step = 0;
        qsizetype size = 0;
        size_t hash = 0;
    };

    StepStore &m_store;
    std::array<Written, kSteps + 1> m_written{};
};
