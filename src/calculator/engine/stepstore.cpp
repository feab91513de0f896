#include "calculator/engine/stepstore.h"

#include "calculator/engine/staterecord.h"
#include "files/regularfile.h"
#include "files/uniquefd.h"

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
    // The folders above are the user's cache: created as any program creates them.
    QDir().mkpath(QFileInfo(m_stepsFolder).path());
    HistoryIssue issue;
    const UniqueFd steps(openPrivateFolder(AT_FDCWD, m_stepsFolder, m_stepsFolder, issue));
    if (steps.get() < 0) {
        m_refused = issue;
        return m_refused;
    }
    for (int copy = 1; copy <= kMaxCopies; ++copy) {
        const QString name = QString::number(copy);
        auto lock =
            std::make_unique<QLockFile>(m_stepsFolder + u'/' + name + QLatin1String(".lock"));
        // A lock is stale only when its copy has ended, however long a copy runs.
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) {
            if (lock->error() == QLockFile::LockFailedError)
                continue;
            const bool denied = lock->error() == QLockFile::PermissionError;
            m_refused = {HistoryProblem::FolderFailed, m_stepsFolder,
                         denied ? systemReason(EACCES) : QString()};
            return m_refused;
        }
        const QString path = m_stepsFolder + u'/' + name;
        const int fd = openPrivateFolder(steps.get(), name, path, issue);
        if (fd < 0) {
            m_refused = issue;
            return m_refused;
        }
        // What a copy that ended left behind is not ours to read.
        for (int slot = 1; slot <= kSteps; ++slot)
            ::unlinkat(fd, QFile::encodeName(slotName(slot)).constData(), 0);
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
    const UniqueFd fd(::openat(m_copyFd, QFile::encodeName(slotName(slot)).constData(),
                               O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                               0600));
    if (fd.get() < 0) {
        if (errno == ELOOP)
            return {HistoryProblem::SlotNotRegular, path, {}};
        return {HistoryProblem::WriteFailed, path, systemReason(errno)};
    }
    struct stat st = {};
    if (::fstat(fd.get(), &st) != 0)
        return {HistoryProblem::WriteFailed, path, systemReason(errno)};
    // A second name for the file would let the write land outside the folder.
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink != 1)
        return {HistoryProblem::SlotNotRegular, path, {}};
    // Overwritten in place and then cut to length: truncating first costs a hundred times more on
    // ext4, and this runs on every operator key.
    qsizetype done = 0;
    while (done < record.size()) {
        const ssize_t n =
            ::write(fd.get(), record.constData() + done, size_t(record.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {HistoryProblem::WriteFailed, path, systemReason(errno)};
        done += n;
    }
    if (::ftruncate(fd.get(), off_t(record.size())) != 0)
        return {HistoryProblem::WriteFailed, path, systemReason(errno)};
    return {};
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
