#include "stephistory.h"

#include "staterecord.h"

#include <QHash>

#include <limits>

HistoryIssue StepHistory::record(CalcState &state)
{
    if (state.stepcount == std::numeric_limits<qint32>::max())
        return {};
    ++state.stepcount;
    const int slot = slotOf(state.stepcount);
    m_written[slot] = {};
    const QByteArray record = staterecord::write(state, slot);
    if (record.size() > staterecord::kMaxBytes)
        return {HistoryProblem::RecordTooLarge, {}, {}};
    if (HistoryIssue issue = m_store.write(slot, record))
        return issue;
    m_written[slot] = {state.stepcount, record.size(), qHash(record)};
    return {};
}

StepHistory::Back StepHistory::back(CalcState &state)
{
    if (state.stepcount < 2)
        return {};
    const int slot = slotOf(state.stepcount);
    const Written written = m_written[slot];
    if (written.step != state.stepcount)
        return {};
    QByteArray record;
    if (HistoryIssue issue = m_store.read(slot, record))
        return {false, issue};
    // The very bytes written for this step, so the record reads back whole with this counter.
    if (record.size() != written.size || qHash(record) != written.hash ||
        !staterecord::read(record, state).ok())
        return {false, {HistoryProblem::BackChanged, {}, {}}};
    --state.stepcount;
    return {true, {}};
}
