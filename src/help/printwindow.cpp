#include "printwindow.h"

#include "platform/layout.h"
#include "platform/platform.h"

#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>

PrintWindow::PrintWindow(Platform &platform, QWidget *parent)
    : QWidget(parent, Qt::Dialog), m_platform(platform)
{
    setObjectName(QStringLiteral("frm10"));
    setFixedSize(twips(7380), twips(7050));
}

QImage PrintWindow::render(const QString &text) const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics(font());
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

void PrintWindow::load(const QString &text)
{
    const QImage surface = render(text);
    QPrinter printer;
    const std::optional<int> copies = m_platform.showPrinter(parentWidget(), printer);
    if (!copies)
        return;
    printImagePages(printer, surface, qBound(0, *copies, 32767));
}
