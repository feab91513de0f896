#include "files/writefile.h"

#include <QFileInfo>
#include <QSaveFile>

QString notRegularReason()
{
    return QStringLiteral("这不是普通文件，而是文件夹、管道或设备");
}

bool writeFile(const QString &path, QByteArrayView bytes, QString *error)
{
    // A save renames its new file over the old one: over a FIFO or a device that would put a
    // file in its place.
    if (const QFileInfo existing(path); existing.exists() && !existing.isFile()) {
        *error = notRegularReason();
        return false;
    }
    // Unbuffered, so that a short write (the last bytes that fitted) is retried here, and the
    // retry fails with the reason (no space left, file too large).
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = file.errorString();
        return false;
    }
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            *error = file.errorString();
            file.cancelWriting();
            return false;
        }
        done += written;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
