#include "calculator/engine/stepstore.h"

#include "calculator/engine/staterecord.h"
#include "files/regularfile.h"
#include "files/uniquefd.h"
#include "files/writefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace
{

constexpr int kMaxCopies = 100;

using yaoshi::systemReason;
using yaoshi::UniqueFd;

// Opens the folder `name` inside `at`, creating it with mode 0700 when it is missing. Refuses a
// link, anything but a directory, and a directory of another owner or one that others may enter.
int openPrivateFolder(int at, const QString &name, const QString &path, HistoryIssue &issue)
{
    const QByteArray native = QFile::encodeName(name);
    if (::mkdirat(at, native.constData(), 0700) != 0 && errno != EEXIST) {
        issue = {HistoryProblem::FolderFailed, path, systemReason(errno)};
        return -1;
    }
    UniqueFd fd(::openat(at, native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ELOOP || errno == ENOTDIR)
            issue = {HistoryProblem::FolderNotOwned, path, {}};
        else
            issue = {HistoryProblem::FolderFailed, path, systemReason(errno)};
        return -1;
    }
    struct stat st = {};
    if (::fstat(fd.get(), &st) != 0) {
        issue = {HistoryProblem::FolderFailed, path, systemReason(errno)};
        return -1;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        issue = {HistoryProblem::FolderNotOwned, path, {}};
        return -1;
    }
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        issue = {HistoryProblem::FolderOpen, path, {}};
        return -1;
    }
    return fd.release();
}

// Writes `bytes` to a temporary file in the folder `dirFd` and renames it over `name`, so that
// `name` holds either what it held or `bytes`, whatever stops the write. With `sync`, the data
// and the folder reach the disk before this returns. Returns 0 or the errno of the failure.
int replaceAt(int dirFd, const QString &name, const QByteArray &bytes, bool sync)
{
    const QByteArray target = QFile::encodeName(name);
    const QByteArray temporary = QFile::encodeName(QLatin1Char('.') + name + QLatin1String(".new"));
    ::unlinkat(dirFd, temporary.constData(), 0);
    int error = 0;
    {
        const UniqueFd fd(::openat(dirFd, temporary.constData(),
                                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd.get() < 0)
            return errno;
        error = writeFully(fd.get(), bytes);
        if (error == 0 && sync && ::fdatasync(fd.get()) != 0)
            error = errno;
    }
    if (error == 0 && ::renameat(dirFd, temporary.constData(), dirFd, target.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlinkat(dirFd, temporary.constData(), 0);
        return error;
    }
    if (sync)
        ::fsync(dirFd);
    return 0;
}

bool holdsRecovery(int dirFd)
{
    struct stat st = {};
    return ::fstatat(dirFd, QFile::encodeName(recoveryName()).constData(), &st,
                     AT_SYMLINK_NOFOLLOW) == 0;
}

// Whether the folder `path` is the one that holds `document`.
bool holdsDocument(const QString &path, const QString &document)
{
    if (document.isEmpty())
        return false;
    const QString folder = QFileInfo(QFileInfo(document).absolutePath()).canonicalFilePath();
    return !folder.isEmpty() && folder == QFileInfo(path).canonicalFilePath();
}

std::unique_ptr<QLockFile> copyLock(const QString &stepsFolder, const QString &name)
{
    auto lock = std::make_unique<QLockFile>(stepsFolder + u'/' + name + QLatin1String(".lock"));
    // A lock is stale only when its copy has ended, however long a copy runs.
    lock->setStaleLockTime(0);
    return lock;
}

} // namespace

HistoryIssue MemoryStepStore::write(int slot, const QByteArray &record)
{
    m_slots[slot] = record;
    return {};
}

HistoryIssue MemoryStepStore::read(int slot, QByteArray &record)
{
    record = m_slots[slot];
    return {};
}

FolderStepStore::FolderStepStore(QString stepsFolder)
    : m_stepsFolder(stepsFolder.isEmpty() ? QString() : QDir::cleanPath(stepsFolder))
{
}

FolderStepStore::~FolderStepStore()
{
    if (m_copyFd >= 0)
        ::close(m_copyFd);
}

QString FolderStepStore::slotPath(int slot) const
{
    return m_copyFolder + u'/' + slotName(slot);
}

HistoryIssue FolderStepStore::claim()
{
    if (m_refused)
        return m_refused;
    if (m_stepsFolder.isEmpty()) {
        m_refused = {HistoryProblem::NoFolder, {}, {}};
        return m_refused;
    }
    // The folders above are the user's cache: created as any program creates them, and the
    // first that cannot be is the one reported, with its reason (a read-only cache).
    const QString above = QFileInfo(m_stepsFolder).path();
    for (qsizetype at = above.indexOf(u'/', 1); at != -1 || !above.isEmpty();
         at = above.indexOf(u'/', at + 1)) {
        const QString part = at == -1 ? above : above.left(at);
        if (::mkdir(QFile::encodeName(part).constData(), 0755) != 0 && errno != EEXIST) {
            m_refused = {HistoryProblem::FolderFailed, part, systemReason(errno)};
            return m_refused;
        }
        if (at == -1)
            break;
    }
    HistoryIssue issue;
    const UniqueFd steps(openPrivateFolder(AT_FDCWD, m_stepsFolder, m_stepsFolder, issue));
    if (steps.get() < 0) {
        m_refused = issue;
        return m_refused;
    }
    for (int copy = 1; copy <= kMaxCopies; ++copy) {
        const QString name = QString::number(copy);
        const QString path = m_stepsFolder + u'/' + name;
        if (holdsDocument(path, m_document))
            continue;
        auto lock = copyLock(m_stepsFolder, name);
        if (!lock->tryLock(0)) {
            if (lock->error() == QLockFile::LockFailedError)
                continue;
            const bool denied = lock->error() == QLockFile::PermissionError;
            m_refused = {HistoryProblem::FolderFailed, m_stepsFolder,
                         denied ? systemReason(EACCES) : QString()};
            return m_refused;
        }
        const int fd = openPrivateFolder(steps.get(), name, path, issue);
        if (fd < 0) {
            m_refused = issue;
            return m_refused;
        }
        // Unsaved work of a copy that ended waits there for the user's answer. Its old slots
        // are left alone: the history reads back only what this copy wrote.
        if (holdsRecovery(fd)) {
            ::close(fd);
            continue;
        }
        m_copyFd = fd;
        m_copyFolder = path;
        m_lock = std::move(lock);
        return {};
    }
    m_refused = {HistoryProblem::TooManyCopies, m_stepsFolder, {}};
    return m_refused;
}

HistoryIssue FolderStepStore::write(int slot, const QByteArray &record)
{
    if (m_copyFd < 0) {
        if (HistoryIssue issue = claim())
            return issue;
    }
    const QString path = slotPath(slot);
    const QByteArray name = QFile::encodeName(slotName(slot));
    // What stands in the slot must be a file of this copy's: anything else was planted there.
    struct stat st = {};
    if (::fstatat(m_copyFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(st.st_mode))
            return {HistoryProblem::WriteFailed, path, systemReason(EISDIR)};
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink != 1)
            return {HistoryProblem::SlotNotRegular, path, {}};
    } else if (errno != ENOENT) {
        return {HistoryProblem::WriteFailed, path, systemReason(errno)};
    }
    // Not synced: a slot is worth a key press, and the rename keeps it whole.
    if (const int error = replaceAt(m_copyFd, slotName(slot), record, false))
        return {HistoryProblem::WriteFailed, path, systemReason(error)};
    return {};
}

HistoryIssue FolderStepStore::keepRecovery(const QByteArray &record)
{
    if (m_copyFd < 0) {
        if (HistoryIssue issue = claim())
            return issue;
    }
    if (const int error = replaceAt(m_copyFd, recoveryName(), record, true))
        return {HistoryProblem::WriteFailed, m_copyFolder + u'/' + recoveryName(),
                systemReason(error)};
    return {};
}

void FolderStepStore::dropRecovery()
{
    if (m_copyFd >= 0 &&
        ::unlinkat(m_copyFd, QFile::encodeName(recoveryName()).constData(), 0) == 0)
        ::fsync(m_copyFd);
}

HistoryIssue FolderStepStore::read(int slot, QByteArray &record)
{
    if (m_copyFd < 0)
        return {HistoryProblem::BackUnreadable, {}, {}};
    const QString path = slotPath(slot);
    yaoshi::FileBytes file =
        yaoshi::readRegularFile(path, staterecord::kMaxBytes, yaoshi::Links::Refuse);
    switch (file.error) {
    case yaoshi::ReadError::None:
        record = std::move(file.bytes);
        return {};
    case yaoshi::ReadError::NotRegular:
        return {HistoryProblem::BackNotRegular, path, {}};
    case yaoshi::ReadError::TooLarge:
        return {HistoryProblem::BackTooLarge, path, {}};
    case yaoshi::ReadError::Missing:
    case yaoshi::ReadError::Unreadable:
        break;
    }
    return {HistoryProblem::BackUnreadable, path, file.reason};
}

LeftRecovery::LeftRecovery(QString path, QByteArray record, std::unique_ptr<QLockFile> lock)
    : m_path(std::move(path)), m_record(std::move(record)), m_lock(std::move(lock))
{
}

LeftRecovery::LeftRecovery(LeftRecovery &&) noexcept = default;
LeftRecovery::~LeftRecovery() = default;

void LeftRecovery::discard()
{
    QFile::remove(m_path);
}

std::vector<LeftRecovery> findLeftRecoveries(const QString &stepsFolder)
{
    std::vector<LeftRecovery> found;
    if (stepsFolder.isEmpty())
        return found;
    const QString folder = QDir::cleanPath(stepsFolder);
    HistoryIssue issue;
    struct stat st = {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return found;
    const UniqueFd steps(openPrivateFolder(AT_FDCWD, folder, folder, issue));
    if (steps.get() < 0)
        return found;
    for (int copy = 1; copy <= kMaxCopies; ++copy) {
        const QString name = QString::number(copy);
        if (::fstatat(steps.get(), QFile::encodeName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) !=
            0)
            continue;
        auto lock = copyLock(folder, name);
        if (!lock->tryLock(0))
            continue;
        const UniqueFd fd(openPrivateFolder(steps.get(), name, folder + u'/' + name, issue));
        if (fd.get() < 0 || !holdsRecovery(fd.get()))
            continue;
        const QString path = folder + u'/' + name + u'/' + recoveryName();
        yaoshi::FileBytes file =
            yaoshi::readRegularFile(path, staterecord::kMaxBytes, yaoshi::Links::Refuse);
        if (file.error == yaoshi::ReadError::None)
            found.emplace_back(path, std::move(file.bytes), std::move(lock));
    }
    return found;
}
