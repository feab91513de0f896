#pragma once

#include <QByteArray>
#include <QString>

// Reading a file that may be anything a path can name: a FIFO would block the window, a device
// would never end, a planted link could point anywhere. Only a regular file is read, and never
// more than a limit.
namespace yaoshi
{

enum class ReadError {
    None,
    Missing,    // no such file
    Unreadable, // exists, but could not be opened or read (permission, I/O error)
    NotRegular, // a folder, FIFO, device or socket; or a link where links are refused
    TooLarge,   // more than the limit
};

enum class Links { Follow, Refuse };

struct FileBytes {
    QByteArray bytes;
    ReadError error = ReadError::None;
    QString reason; // the system's own words for Missing and Unreadable
};

// Reads the regular file at `path` whole when it holds at most `limit` bytes. Never blocks on a
// FIFO and never reads more than `limit` + 1 bytes.
FileBytes readRegularFile(const QString &path, qint64 limit, Links links = Links::Follow);

} // namespace yaoshi
