#include "calculator/engine/stephistory.h"

#include "calculator/engine/staterecord.h"

#include <QHash>

#include <limits>

namespace
{

// Records asked for while this many are still waiting make the caller wait: each may hold a
// display text of its own, and a held key must not pile them up.
constexpr std::size_t kMaxWaiting = 2;

} // namespace

StepHistory::~StepHistory()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

HistoryIssue StepHistory::record(CalcState &state, qsizetype textSize)
{
    // The counter is kept in the documents and may not wrap: the last step stays the last.
    if (state.stepcount == std::numeric_limits<qint32>::max())
        return {HistoryProblem::CounterFull, {}, {}};
    ++state.stepcount;
    const int slot = slotOf(state.stepcount);
    std::unique_lock lock(m_mutex);
    m_written[slot] = {};
    Job job{state, textSize, slot, m_generation};
    if (m_writing == Writing::Here) {
        lock.unlock();
        return write(std::move(job));
    }
    if (!m_prepared) {
        m_prepared = true;
        if (HistoryIssue issue = m_store.prepare())
            return issue;
    }
    m_changed.wait(lock, [&] { return m_jobs.size() < kMaxWaiting; });
    m_jobs.push_back(std::move(job));
    const HistoryIssue late = std::exchange(m_late, {});
    lock.unlock();
    m_changed.notify_all();
    if (!m_thread.joinable())
        m_thread = std::thread([this] { writeBehind(); });
    return late;
}

// Writes one record and, when it is written whole, marks its slot as one to go back to.
HistoryIssue StepHistory::write(Job job)
{
    QStringView text = job.state.snaptext;
    if (job.textSize >= 0)
        text.truncate(job.textSize);
    const QByteArray record = staterecord::write(job.state, job.slot, text);
    const qsizetype textSize = text.size();
    const size_t textHash = qHash(text);
    // The display text goes as soon as it is written down, so that the display need not copy
    // it to append.
    const qint32 step = job.state.stepcount;
    job.state = {};
    if (record.size() > staterecord::kMaxBytes)
        return {HistoryProblem::RecordTooLarge, {}, {}};
    if (HistoryIssue issue = m_store.write(job.slot, record))
        return issue;
    const Written written{step, record.size(), qHash(record), textSize, textHash};
    const std::lock_guard lock(m_mutex);
    if (job.generation == m_generation)
        m_written[job.slot] = written;
    return {};
}

HistoryIssue StepHistory::writeRecovery(Recovery what, CalcState state)
{
    if (what == Recovery::Drop) {
        m_store.dropRecovery();
        return {};
    }
    const QByteArray record = staterecord::write(state, slotOf(state.stepcount));
    // Let go of the display text before the slow sync, so that the display need not copy it.
    state = {};
    if (record.size() > staterecord::kMaxBytes)
        return {HistoryProblem::RecordTooLarge, {}, {}};
    return m_store.keepRecovery(record);
}

void StepHistory::askRecovery(Recovery what, const CalcState &state)
{
    std::unique_lock lock(m_mutex);
    // A store that cannot be written says so at the first record, not here.
    if (what == Recovery::Keep && !m_prepared && m_store.prepare())
        return;
    if (m_writing == Writing::Here) {
        lock.unlock();
        writeRecovery(what, CalcState(state));
        return;
    }
    // Only the latest counts: one that waits is replaced, so a long display is not queued twice.
    m_recovery = what;
    m_recoveryState = what == Recovery::Keep ? state : CalcState();
    lock.unlock();
    m_changed.notify_all();
    if (!m_thread.joinable())
        m_thread = std::thread([this] { writeBehind(); });
}

void StepHistory::keep(const CalcState &state)
{
    askRecovery(Recovery::Keep, state);
}

void StepHistory::drop()
{
    askRecovery(Recovery::Drop, {});
}

void StepHistory::writeBehind()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(
            lock, [&] { return m_stopping || !m_jobs.empty() || m_recovery != Recovery::None; });
        if (m_jobs.empty() && m_recovery == Recovery::None)
            return;
        HistoryIssue issue;
        const bool step = !m_jobs.empty();
        (step ? m_busy : m_busyRecovery) = true;
        if (!step) {
            const Recovery what = std::exchange(m_recovery, Recovery::None);
            CalcState state = std::exchange(m_recoveryState, {});
            lock.unlock();
            issue = writeRecovery(what, std::move(state));
        } else {
            Job job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            issue = write(std::move(job));
        }
        lock.lock();
        (step ? m_busy : m_busyRecovery) = false;
        if (issue && !m_late)
            m_late = issue;
        m_changed.notify_all();
    }
}

void StepHistory::finish() const
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] {
        return m_jobs.empty() && !m_busy && m_recovery == Recovery::None && !m_busyRecovery;
    });
}

void StepHistory::restart()
{
    const std::lock_guard lock(m_mutex);
    m_written = {};
    ++m_generation;
}

StepHistory::Back StepHistory::back(CalcState &state, QStringView shown)
{
    if (state.stepcount < 2)
        return {};
    // The records asked for, not the recovery record, which may be megabytes to sync.
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_jobs.empty() && !m_busy; });
    }
    const int slot = slotOf(state.stepcount);
    Written written;
    {
        const std::lock_guard lock(m_mutex);
        written = m_written[slot];
    }
    if (written.step != state.stepcount)
        return {};
    QByteArray record;
    if (HistoryIssue issue = m_store.read(slot, record))
        return {false, -1, issue};
    // The very bytes written for this step, so the record reads back whole with this counter.
    if (record.size() != written.size || qHash(record) != written.hash)
        return {false, -1, {HistoryProblem::BackChanged, {}, {}}};
    // Its text, megabytes long, is read again only when the display no longer starts with it.
    const bool shownStillStarts = written.textSize <= shown.size() &&
                                  qHash(shown.first(written.textSize)) == written.textHash;
    const staterecord::ReadResult read = staterecord::read(
        record, state, shownStillStarts ? staterecord::Text::LeaveOut : staterecord::Text::Decode);
    if (!read.ok())
        return {false, -1, {HistoryProblem::BackChanged, {}, {}}};
    --state.stepcount;
    return {true, read.textLeftOut ? written.textSize : -1, {}};
}
