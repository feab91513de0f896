#include "files/writefile.h"
#include "files/uniquefd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

using yaoshi::systemReason;
using yaoshi::UniqueFd;

// Writes all of `bytes` into the new or just opened file `fd`, cuts the file there and syncs it;
// 0 or the errno of the failure.
int writeAll(int fd, QByteArrayView bytes)
{
    if (const int errnum = writeFully(fd, bytes); errnum != 0)
        return errnum;
    if (::ftruncate(fd, off_t(bytes.size())) != 0)
        return errno;
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Overwrites the file where it is: its folder takes no new file, or other names share it.
bool writeInPlace(const QByteArray &native, QByteArrayView bytes, QString *error)
{
    const UniqueFd fd(::open(native.constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    // Written over the old bytes before the rest is cut off, so a failure loses least.
    int errnum = fd.get() < 0 ? errno : 0;
    if (errnum == 0)
        errnum = writeAll(fd.get(), bytes);
    if (errnum != 0) {
        *error = systemReason(errnum);
        return false;
    }
    return true;
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

int writeFully(int fd, QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        done += n;
    }
    return 0;
}

QString notRegularReason()
{
    return QStringLiteral("这不是普通文件，而是文件夹、管道或设备");
}

bool writeFile(const QString &path, QByteArrayView bytes, QString *error)
{
    // Through a link the file it names is replaced, and the link stays.
    QString target = path;
    if (const QFileInfo info(path); info.isSymLink() && info.exists())
        target = info.canonicalFilePath();
    const QByteArray native = QFile::encodeName(target);
    struct stat old = {};
    const bool exists = ::stat(native.constData(), &old) == 0;
    // A save renames its new file over the old one: over a FIFO or a device that would put a
    // file in its place.
    if (exists && !S_ISREG(old.st_mode)) {
        *error = notRegularReason();
        return false;
    }
    // A file the user may not write stays as it is, though its folder would take a new one.
    if (exists && ::access(native.constData(), W_OK) != 0) {
        *error = systemReason(errno);
        return false;
    }
    // A rename would split a file with several names: they all keep showing the document.
    if (exists && old.st_nlink > 1)
        return writeInPlace(native, bytes, error);

    const QString folder = QFileInfo(target).absolutePath();
    const QByteArray folderName = QFile::encodeName(folder);
    QByteArray temporary =
        QFile::encodeName(folder + QLatin1String("/.") + QFileInfo(target).fileName()) + ".XXXXXX";
    const UniqueFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        const int errnum = errno;
        // A writable file in a folder that takes no new file is saved as editors save it.
        if (exists && (errnum == EACCES || errnum == EPERM) &&
            ::access(native.constData(), W_OK) == 0) {
            if (writeInPlace(native, bytes, error))
                return true;
            *error = QStringLiteral("文件夹不可写入，直接写入文件也失败（%1）").arg(*error);
            return false;
        }
        *error = systemReason(errnum);
        return false;
    }
    // The document keeps the mode and group it had, where the user may set them.
    ::fchmod(fd.get(), exists ? (old.st_mode & 07777) : newFileMode());
    if (exists && old.st_gid != ::getegid()) [[maybe_unused]]
        const int ignored = ::fchown(fd.get(), uid_t(-1), old.st_gid);
    int errnum = writeAll(fd.get(), bytes);
    if (errnum == 0 && ::rename(temporary.constData(), native.constData()) != 0)
        errnum = errno;
    if (errnum != 0) {
        ::unlink(temporary.constData());
        *error = systemReason(errnum);
        return false;
    }
    // The rename itself reaches the disk only with its folder.
    if (const UniqueFd dir(::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        dir.get() >= 0)
        ::fsync(dir.get());
    return true;
}
