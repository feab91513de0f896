#pragma once

#include "calculator/engine/calcstate.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>
#include <vector>

class QLockFile;

// Why the step history could not keep a step, or give one back.
enum class HistoryProblem {
    None,
    NoFolder,       // there is no cache folder to keep the steps in
    FolderFailed,   // the folder could not be created or opened
    FolderNotOwned, // not a folder of the user's own (another owner, a file, a link)
    FolderOpen,     // a folder that others may enter
    TooManyCopies,  // every per-copy folder is held by a running copy
    WriteFailed,    // a slot could not be written
    RecordTooLarge, // the record exceeds the document limit
    CounterFull,    // the step counter is at its limit: no further step is kept
    SlotNotRegular, // a slot is a link, FIFO, device or folder, or a file that is not only ours
    // Going back found the slot damaged, and changed nothing:
    BackNotRegular, // no longer a regular file
    BackUnreadable, // gone, or no permission
    BackTooLarge,   // more than the document limit
    BackChanged,    // no longer what this copy wrote there
};

struct HistoryIssue {
    HistoryProblem problem = HistoryProblem::None;
    QString path;   // the folder or slot concerned, when there is one
    QString reason; // the system's own words, when it gave any

    explicit operator bool() const { return problem != HistoryProblem::None; }
    bool operator==(const HistoryIssue &) const = default;
};

// Where the slots of the step history are kept.
class StepStore
{
public:
    virtual ~StepStore() = default;
    // Makes `slot` (1 to kSteps) hold `record`.
    virtual HistoryIssue write(int slot, const QByteArray &record) = 0;
    // Reads what `slot` holds into `record`.
    virtual HistoryIssue read(int slot, QByteArray &record) = 0;
    // Makes the store ready to write, so that one that cannot keep slots says so before the
    // first write does.
    virtual HistoryIssue prepare() { return {}; }
    // Keeps `record` as the recovery record of unsaved work, replacing the one before, so that
    // it survives a crash or a power cut. A store without a place for it keeps nothing.
    virtual HistoryIssue keepRecovery(const QByteArray &record)
    {
        (void)record;
        return {};
    }
    // Removes the recovery record: nothing is unsaved any more.
    virtual void dropRecovery() {}
};

// Slots held in memory, for tools and fuzzing that must not touch the disk.
class MemoryStepStore final : public StepStore
{
public:
    HistoryIssue write(int slot, const QByteArray &record) override;
    HistoryIssue read(int slot, QByteArray &record) override;

private:
    std::array<QByteArray, kSteps + 1> m_slots;
};

// The name of the recovery record in a copy's folder.
inline QString recoveryName()
{
    return QStringLiteral("recovery");
}

// Slots as files " 1" to " 20" and the recovery record in a folder of this running copy's own: a
// numbered subfolder of the steps folder, claimed with a lock file beside it, so that no other
// copy writes or reads it. A folder whose lock was left by a copy that ended is taken over, its
// old slots overwritten one by one, unless it holds a recovery record (kept until the user
// chose what becomes of it) or the open document.
//
// Every file is replaced whole (a temporary file renamed over it), so a kill or a full disk
// leaves the record before or the new one; the recovery record is also synced to the disk.
//
// Both folders must be directories of the user's own that no one else may enter; anything else
// turns the history off for the run. Slot files are written only when they are regular files of
// the user's own, never through a link.
class FolderStepStore final : public StepStore
{
public:
    // `stepsFolder` empty: there is no folder, and every write says so.
    explicit FolderStepStore(QString stepsFolder);
    ~FolderStepStore() override;
    FolderStepStore(const FolderStepStore &) = delete;
    FolderStepStore &operator=(const FolderStepStore &) = delete;

    HistoryIssue write(int slot, const QByteArray &record) override;
    HistoryIssue read(int slot, QByteArray &record) override;
    HistoryIssue prepare() override { return m_copyFd < 0 ? claim() : HistoryIssue(); }
    HistoryIssue keepRecovery(const QByteArray &record) override;
    void dropRecovery() override;
    // A folder that holds `document` is never claimed, so that a slot file opened as a document
    // is not overwritten under it.
    void keepClearOf(const QString &document) { m_document = document; }

    // This copy's folder, once the first write has claimed it; empty before.
    QString copyFolder() const { return m_copyFolder; }
    QString slotPath(int slot) const;

private:
    HistoryIssue claim();

    QString m_stepsFolder;
    QString m_copyFolder;
    QString m_document;
    std::unique_ptr<QLockFile> m_lock;
    int m_copyFd = -1;
    HistoryIssue m_refused; // set once a claim failed: the history stays off
};

// A recovery record that a copy which ended left in its folder. The folder stays locked while
// the object lives, so that no copy starting meanwhile takes it over; letting it go without
// discard() keeps the record for a later start.
class LeftRecovery
{
public:
    LeftRecovery(QString path, QByteArray record, std::unique_ptr<QLockFile> lock);
    LeftRecovery(LeftRecovery &&) noexcept;
    ~LeftRecovery();

    QString path() const { return m_path; }
    const QByteArray &record() const { return m_record; }
    // Deletes the record, so that the folder is free to be reused.
    void discard();

private:
    QString m_path;
    QByteArray m_record;
    std::unique_ptr<QLockFile> m_lock;
};

// The recovery records of copies that ended, oldest folder number first. Folders that are not
// the user's own and private, and records that are not regular files or are too large, are
// passed over.
std::vector<LeftRecovery> findLeftRecoveries(const QString &stepsFolder);
