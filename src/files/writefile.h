#pragma once

#include <QByteArrayView>
#include <QString>

// Replaces the file at `path` (through a link, its target) with `bytes`, atomically: on failure
// the file that was there stays as it was, and `error` gives the reason. Only a regular file is
// replaced: a folder, FIFO or device there is refused and left alone.
bool writeFile(const QString &path, QByteArrayView bytes, QString *error);

// Why a path cannot be read or written as a document or picture: it names no regular file.
QString notRegularReason();

// Writes all of `bytes` to `fd` from its current offset, retrying short and interrupted writes;
// 0 or the errno of the failure.
int writeFully(int fd, QByteArrayView bytes);
