#include "platform/platform.h"

#include "files/writefile.h"
#include "widgets/layout.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPalette>
#include <QPrinter>
#include <QRegularExpression>

QStringList qtNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        // A description that already ends with its patterns, as "(*.txt)" does, is shown alone.
        const QString listed = u'(' + patterns + u')';
        result.append(parts[i].endsWith(listed) ? parts[i] : parts[i] + u' ' + listed);
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

QImage textPage(const QString &text)
{
    const QPalette palette = QGuiApplication::palette();
    const QFont font = QGuiApplication::font();
    QImage image(twips(7380), twips(7050), QImage::Format_RGB32);
    image.fill(palette.color(QPalette::Window));
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(palette.color(QPalette::WindowText));
    const QFontMetrics metrics(font);
    int y = metrics.ascent();
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString &line : text.split(lineBreak)) {
        if (y - metrics.ascent() >= image.height())
            break;
        painter.drawText(0, y, line);
        y += metrics.lineSpacing();
    }
    return image;
}

void printText(Platform &platform, QWidget *parent, const QString &text)
{
    const QImage page = textPage(text);
    QPrinter printer;
    const std::optional<int> copies = platform.showPrinter(parent, printer);
    if (copies)
        printImagePages(printer, page, qBound(0, *copies, 32767));
}

bool writePicture(const QImage &image, const QString &path, const char *format, QString *error)
{
    // Encoded in memory first: the image writer says only "Unknown error" when its device
    // fails, while a plain write that fails carries the system's reason.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        *error = writer.errorString();
        return false;
    }
    return writeFile(path, bytes, error);
}
