#include "platform.h"

#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>

QStringList qtNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        result.append(parts[i] + QStringLiteral(" (") + patterns + u')');
    }
    return result;
}

bool printImagePages(QPrinter &printer, const QImage &image, int copies)
{
    if (copies < 1)
        return true;
    // The copies are pages of their own; the printer must not multiply them again.
    printer.setCopyCount(1);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const qreal scale = printer.resolution() / 96.0;
    painter.scale(scale, scale);
    for (int copy = 1; copy <= copies; ++copy) {
        if (copy > 1 && !printer.newPage())
            return false;
        painter.drawImage(0, 0, image);
    }
    return painter.end();
}

bool writePicture(const QImage &image, const QString &path, const char *format, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    QImageWriter writer(&file, format);
    if (!writer.write(image)) {
        *error = writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
