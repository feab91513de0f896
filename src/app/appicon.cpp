#include "appicon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

void paintAppIcon(QPainter &p, qreal size)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    // The stone's outline and its facets, meeting at a point above the middle.
    const QPolygonF outline({{32, 4}, {56, 18}, {58, 42}, {34, 60}, {10, 46}, {6, 20}});
    const QPointF apex(30, 26);
    const QColor shades[] = {QColor(70, 80, 96), QColor(44, 50, 62), QColor(22, 26, 34),
                             QColor(12, 14, 20), QColor(30, 34, 44), QColor(58, 66, 82)};
    p.setPen(QPen(QColor(8, 8, 12), 1.5));
    for (int i = 0; i < outline.size(); ++i) {
        const QPolygonF facet({outline[i], outline[(i + 1) % outline.size()], apex});
        QLinearGradient shine(facet.boundingRect().topLeft(), facet.boundingRect().bottomRight());
        shine.setColorAt(0, shades[i].lighter(130));
        shine.setColorAt(1, shades[i]);
        p.setBrush(shine);
        p.drawPolygon(facet);
    }
    // The glint: a four-pointed star of light on the upper facets.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 244, 200));
    const QPointF c(22, 17);
    p.drawPolygon(QPolygonF({c + QPointF(0, -8), c + QPointF(1.6, -1.6), c + QPointF(8, 0),
                             c + QPointF(1.6, 1.6), c + QPointF(0, 8), c + QPointF(-1.6, 1.6),
                             c + QPointF(-8, 0), c + QPointF(-1.6, -1.6)}));
    p.restore();
}

QImage appIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    paintAppIcon(p, size);
    return image;
}

QIcon helpIcon()
{
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, size / 16.0));
        p.setBrush(QColor(0, 128, 0));
        p.drawEllipse(QRectF(0.5, 0.5, size - 1, size - 1));
        QFont font;
        font.setBold(true);
        font.setPixelSize(size * 3 / 4);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("?"));
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon plotterIcon()
{
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(QColor(0, 0, 160));
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::white, size / 16.0));
        const qreal m = size / 8.0;
        p.drawLine(QPointF(m, size / 2.0), QPointF(size - m, size / 2.0));
        p.drawLine(QPointF(size / 2.0, m), QPointF(size / 2.0, size - m));
        QPainterPath curve(QPointF(m, size - m));
        curve.cubicTo(QPointF(size / 2.0, size - m), QPointF(size / 2.0, m), QPointF(size - m, m));
        p.drawPath(curve);
        icon.addPixmap(pixmap);
    }
    return icon;
}
