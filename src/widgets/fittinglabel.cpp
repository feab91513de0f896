#include "widgets/fittinglabel.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace
{

constexpr qreal kFloorPoints = 7;

} // namespace

QRect FittingLabel::textRect() const
{
    const int m = margin();
    return contentsRect().adjusted(m, m, -m, -m);
}

QFont fittedFont(const QFont &font, const QString &text, qreal width, qreal floorPoints)
{
    QFont f = font;
    const qreal needed = QFontMetricsF(f).horizontalAdvance(text);
    if (needed <= width || f.pointSizeF() <= floorPoints)
        return f;
    // Widths grow about in proportion to the size; the last step checks it.
    qreal size = std::max(floorPoints, f.pointSizeF() * width / needed);
    f.setPointSizeF(size);
    while (size > floorPoints && QFontMetricsF(f).horizontalAdvance(text) > width) {
        size = std::max(floorPoints, size - 0.25);
        f.setPointSizeF(size);
    }
    return f;
}

QFont fittedToHeight(const QFont &font, int pixels, qreal floorPoints)
{
    const int em = QFontInfo(font).pixelSize();
    if (em <= pixels || font.pointSizeF() <= floorPoints)
        return font;
    QFont f = font;
    f.setPointSizeF(std::max(floorPoints, f.pointSizeF() * std::max(pixels, 1) / em));
    return f;
}

void fitCaption(QAbstractButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect contents =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    // The style's margin between the caption and the contents' edges, on both sides.
    const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
    const QFont font = fittedToHeight(button->font(), contents.height() - margin);
    button->setFont(fittedFont(font, button->text(), contents.width() - margin));
}

QFont FittingLabel::shownFont() const
{
    return fittedFont(fittedToHeight(font(), textRect().height() - 4, kFloorPoints), text(),
                      textRect().width(), kFloorPoints);
}

QString FittingLabel::shownText() const
{
    return textIn(shownFont());
}

QString FittingLabel::textIn(const QFont &font) const
{
    const QString whole = text();
    const QFontMetricsF metrics(font);
    const qreal width = textRect().width();
    if (metrics.horizontalAdvance(whole) <= width)
        return whole;
    const qsizetype e = whole.indexOf(u'E');
    const QString exponent = e < 0 ? QString() : whole.mid(e);
    const QString digits = whole.left(e < 0 ? whole.size() : e);
    const qreal room = width - metrics.horizontalAdvance(exponent);
    return metrics.elidedText(digits, Qt::ElideRight, std::max<qreal>(room, 0)) + exponent;
}

void FittingLabel::paintEvent(QPaintEvent *event)
{
    const QFont f = shownFont();
    const QString shown = textIn(f);
    if (f == font() && shown == text()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setFont(f);
    style()->drawItemText(&painter, textRect(), int(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}
