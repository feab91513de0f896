#include "platform/platform.h"

#include "files/writefile.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextLayout>
#include <QWidget>

#include <algorithm>
#include <climits>

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

namespace
{

// The text's paragraphs laid out on pages: each wraps anywhere at the page's width, as the
// calculator's display wraps it, and each page holds as many lines as fit above its footer.
class TextPages
{
public:
    TextPages(const PrintedText &printed, const QFont &font, QPrinter &printer)
        : m_printed(printed), m_font(font, &printer), m_printer(printer),
          m_area(printer.pageRect(QPrinter::DevicePixel).size())
    {
        static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
        m_paragraphs = printed.text.split(lineBreak);
        const QFontMetricsF metrics(m_font, &printer);
        m_lineSpacing = metrics.lineSpacing();
        // The footer's line, and a line's space above it.
        m_linesPerPage = std::max(1, int((m_area.height() - 2 * m_lineSpacing) / m_lineSpacing));
        qint64 lines = 0;
        for (const QString &paragraph : std::as_const(m_paragraphs)) {
            QTextLayout layout(paragraph, m_font, &printer);
            lines += layOut(layout);
        }
        m_pages = int(std::min<qint64>((lines + m_linesPerPage - 1) / m_linesPerPage, INT_MAX));
    }

    int pages() const { return m_pages; }

    // Prints one copy; `pagesDone` counts the pages begun so far over all copies.
    PrintOutcome::Status printCopy(QPainter &painter, int &pagesDone, int *failedPage)
    {
        int page = 1;
        int line = 0;
        const auto startPage = [&] {
            if (pagesDone > 0 && !m_printer.newPage()) {
                *failedPage = pagesDone + 1;
                return false;
            }
            ++pagesDone;
            return true;
        };
        if (!startPage())
            return PrintOutcome::Status::Interrupted;
        painter.setFont(m_font);
        painter.setPen(Qt::black);
        for (const QString &paragraph : std::as_const(m_paragraphs)) {
            QTextLayout layout(paragraph, m_font, &m_printer);
            const int count = layOut(layout);
            for (int i = 0; i < count; ++i) {
                if (line == m_linesPerPage) {
                    drawFooter(painter, page);
                    if (!startPage())
                        return PrintOutcome::Status::Interrupted;
                    ++page;
                    line = 0;
                }
                layout.lineAt(i).draw(&painter, QPointF(0, line * m_lineSpacing));
                ++line;
            }
        }
        drawFooter(painter, page);
        return PrintOutcome::Status::Printed;
    }

private:
    int layOut(QTextLayout &layout) const
    {
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        int count = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(m_area.width());
            line.setPosition(QPointF());
            ++count;
        }
        layout.endLayout();
        return count;
    }

    void drawFooter(QPainter &painter, int page) const
    {
        const QRectF foot(0, m_area.height() - m_lineSpacing, m_area.width(), m_lineSpacing);
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, m_printed.footerName);
        painter.drawText(foot, Qt::AlignRight | Qt::AlignVCenter,
                         m_printed.pageNumbers.arg(page).arg(m_pages));
    }

    const PrintedText &m_printed;
    const QFont m_font;
    QPrinter &m_printer;
    const QSizeF m_area;
    QStringList m_paragraphs;
    qreal m_lineSpacing = 0;
    int m_linesPerPage = 1;
    int m_pages = 1;
};

} // namespace

PrintOutcome printText(Platform &platform, QWidget *parent, const PrintedText &printed,
                       const QFont &font)
{
    QPrinter printer;
    printer.setDocName(printed.jobName);
    PrintOutcome outcome;
    const std::optional<int> copies = platform.showPrinter(parent, printer);
    if (!copies) {
        outcome.status = PrintOutcome::Status::Cancelled;
        return outcome;
    }
    outcome.toFile = !printer.outputFileName().isEmpty();
    outcome.printer = outcome.toFile ? printer.outputFileName() : printer.printerName();
    const int count = qBound(0, *copies, 32767);
    if (count < 1)
        return outcome;
    // The copies are pages of their own; the printer must not multiply them again.
    printer.setCopyCount(1);
    QPainter painter;
    if (!painter.begin(&printer)) {
        outcome.status = PrintOutcome::Status::NotStarted;
        return outcome;
    }
    // At the size it has on the screen, in points, which the printer resolves at its own dpi.
    QFont shown = font;
    if (shown.pointSizeF() <= 0)
        shown.setPointSizeF(shown.pixelSize() * 72.0 / (parent ? parent->logicalDpiY() : 96));
    TextPages pages(printed, shown, printer);
    int pagesDone = 0;
    for (int copy = 1; copy <= count; ++copy) {
        outcome.status = pages.printCopy(painter, pagesDone, &outcome.page);
        if (outcome.status != PrintOutcome::Status::Printed) {
            painter.end();
            return outcome;
        }
    }
    if (!painter.end()) {
        // The pages were drawn, but the job was not taken whole.
        outcome.status = PrintOutcome::Status::Interrupted;
        outcome.page = 0;
    }
    return outcome;
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
