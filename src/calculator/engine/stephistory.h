#pragma once

#include "calculator/engine/calcstate.h"
#include "calculator/engine/stepstore.h"

#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// The last kSteps recorded states of one calculation, so the user can step back. Step n is kept
// in slot n mod kSteps of a store. Going back restores only a slot that this history wrote for
// exactly that step and that still holds, byte for byte, what it wrote: never a step of another
// copy, of an earlier run, of a document or of a calculation before Open.
//
// Records are written where the history is told to: on the caller's thread, or behind it on a
// thread of the history's own, one after another in the order they were asked for, so that a
// key does not wait for a record of a long display to be written. Going back, and the end of
// the history, wait for the records asked for before.
class StepHistory
{
public:
    enum class Writing { Here, Behind };

    explicit StepHistory(StepStore &store, Writing writing = Writing::Here)
        : m_store(store), m_writing(writing)
    {
    }
    ~StepHistory();
    StepHistory(const StepHistory &) = delete;
    StepHistory &operator=(const StepHistory &) = delete;

    // Raises the counter of `state` and keeps `state` (its snaptext as the display text, or the
    // first `textSize` characters of it) as the record of that step. Written behind, a record
    // that fails says so at the next record; a store that cannot be written at all says so at
    // once, at the first.
    HistoryIssue record(CalcState &state, qsizetype textSize = -1);

    struct Back {
        bool restored = false;
        // When the step's display text is the start of `shown`, its length; it is then left out
        // of `state.snaptext`. Otherwise -1.
        qsizetype shownPart = -1;
        HistoryIssue issue;
    };
    // Reads the record of the counter's step over `state` and lowers the counter by one. Nothing
    // to go back to, or a slot that is not as written, leaves `state` as it was. `shown` is the
    // display text now: a record's text that still starts it need not be read again.
    Back back(CalcState &state, QStringView shown = {});

    // Keeps `state`, with `state.snaptext` as its display text, as the store's recovery record;
    // written behind like the records, after them, and only the latest one asked for.
    void keep(const CalcState &state);
    // Removes the recovery record, after the records asked for before.
    void drop();

    // Forgets every step kept so far: going back stops at the next step recorded.
    void restart();

    // Waits until every record asked for is written.
    void finish() const;

private:
    struct Written {
        qint32 step = 0;
        qsizetype size = 0;
        size_t hash = 0;
        qsizetype textSize = 0;
        size_t textHash = 0;
    };
    struct Job {
        CalcState state;
        qsizetype textSize = -1;
        int slot = 0;
        quint64 generation = 0;
    };

    enum class Recovery { None, Keep, Drop };

    HistoryIssue write(Job job);
    HistoryIssue writeRecovery(Recovery what, CalcState state);
    void askRecovery(Recovery what, const CalcState &state);
    void writeBehind();

    StepStore &m_store;
    const Writing m_writing;
    bool m_prepared = false;

    // Guards what follows: the writing thread and the caller's share it.
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::array<Written, kSteps + 1> m_written{};
    // Raised by restart(): records asked for before it no longer count as steps to go back to.
    quint64 m_generation = 0;
    std::deque<Job> m_jobs;
    Recovery m_recovery = Recovery::None; // waiting to be written after the jobs
    CalcState m_recoveryState;
    bool m_busy = false;         // a job is being written
    bool m_busyRecovery = false; // the recovery record is being written or removed
    bool m_stopping = false;
    HistoryIssue m_late; // the first failure behind, not yet said
    std::thread m_thread;
};
