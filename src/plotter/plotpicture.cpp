#include "plotpicture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVarLengthArray>

#include <cmath>

namespace
{

void drawDots(QPainter &painter, const std::vector<QPointF> &dots, const QColor &colour,
              QSizeF area)
{
    QVarLengthArray<QPoint, 512> points;
    for (const QPointF &dot : dots) {
        if (std::fabs(dot.x()) > kScreenHalf || std::fabs(dot.y()) > kScreenHalf)
            continue; // outside the picture
        const QPointF pixel = screenToPixel(dot, area);
        points.append(QPoint(qRound(pixel.x()), qRound(pixel.y())));
    }
    painter.setPen(QPen(colour, 1));
    painter.drawPoints(points.constData(), int(points.size()));
}

} // namespace

void renderPlot(QImage &image, const PlotFrame &frame)
{
    QPainter painter(&image);
    const QSizeF area = image.deviceIndependentSize();
    painter.setPen(QPen(kAxisColour, 1));
    if (frame.xAxisY) {
        const int y = qRound(screenToPixel(QPointF(0, *frame.xAxisY), area).y());
        painter.drawLine(0, y, int(area.width()) - 1, y);
    }
    if (frame.yAxisX) {
        const int x = qRound(screenToPixel(QPointF(*frame.yAxisX, 0), area).x());
        painter.drawLine(x, 0, x, int(area.height()) - 1);
    }
    drawDots(painter, frame.curve1, kCurve1Colour, area);
    drawDots(painter, frame.curve2, kCurve2Colour, area);
    drawDots(painter, frame.parametric, kCurve2Colour, area);
}

PlotPicture::PlotPicture(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
}

void PlotPicture::fitImage()
{
    // Drawn at the screen's resolution, so dots and lines stay crisp on high-DPI screens.
    const qreal ratio = devicePixelRatioF();
    if (m_image.deviceIndependentSize() == QSizeF(size()) && m_image.devicePixelRatio() == ratio)
        return;
    QImage image(size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(kPictureBackground);
    if (!m_image.isNull())
        QPainter(&image).drawImage(0, 0, m_image);
    m_image = image;
}

void PlotPicture::resizeEvent(QResizeEvent *event)
{
    fitImage();
    QWidget::resizeEvent(event);
}

void PlotPicture::clear()
{
    fitImage();
    m_image.fill(kPictureBackground);
    update();
}

void PlotPicture::draw(const PlotFrame &frame)
{
    fitImage();
    renderPlot(m_image, frame);
    update();
}

void PlotPicture::paintEvent(QPaintEvent *)
{
    QPainter(this).drawImage(0, 0, m_image);
}

void PlotPicture::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT pressed(event->button(), pixelToScreen(event->position(), size()));
}

void PlotPicture::mouseMoveEvent(QMouseEvent *event)
{
    Q_EMIT moved(pixelToScreen(event->position(), size()));
}
