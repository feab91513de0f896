#include "files/regularfile.h"
#include "files/uniquefd.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yaoshi
{

namespace
{

FileBytes failure(ReadError error, int errnum = 0)
{
    FileBytes result;
    result.error = error;
    if (errnum != 0)
        result.reason = systemReason(errnum);
    return result;
}

} // namespace

FileBytes readRegularFile(const QString &path, qint64 limit, Links links)
{
    // Non-blocking, so that opening a FIFO returns at once; the type check below refuses it.
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (links == Links::Refuse)
        flags |= O_NOFOLLOW;
    const QByteArray name = QFile::encodeName(path);
    const UniqueFd fd(::open(name.constData(), flags));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return failure(ReadError::Missing, errno);
        if (errno == ELOOP || errno == ENXIO)
            return failure(ReadError::NotRegular);
        return failure(ReadError::Unreadable, errno);
    }
    struct stat st = {};
    if (::fstat(fd.get(), &st) != 0)
        return failure(ReadError::Unreadable, errno);
    if (!S_ISREG(st.st_mode))
        return failure(ReadError::NotRegular);
    if (st.st_size > limit)
        return failure(ReadError::TooLarge);

    // The size may change while we read: read to the end, but never past the limit.
    FileBytes result;
    result.bytes.resize(qsizetype(st.st_size) + 1);
    qint64 total = 0;
    for (;;) {
        if (total == result.bytes.size()) {
            if (total > limit)
                return failure(ReadError::TooLarge);
            result.bytes.resize(qsizetype(std::min<qint64>(limit + 1, total * 2 + 4096)));
        }
        const ssize_t n =
            ::read(fd.get(), result.bytes.data() + total, size_t(result.bytes.size() - total));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failure(ReadError::Unreadable, errno);
        }
        if (n == 0)
            break;
        total += n;
    }
    if (total > limit)
        return failure(ReadError::TooLarge);
    result.bytes.truncate(qsizetype(total));
    return result;
}

} // namespace yaoshi
