#include "plotter/window/plotpicture.h"

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QVarLengthArray>

#include <cmath>

namespace
{

const QColor &colourOf(Curve curve)
{
    switch (curve) {
    case Curve::One:
        return kCurve1Colour;
    case Curve::Two:
    case Curve::Parametric:
        return kCurve2Colour;
    }
    return kCurve2Colour;
}

// A screen reader sees the picture as an image, which its description tells in words.
QAccessibleInterface *pictureAccessible(const QString &className, QObject *object)
{
    if (className != QLatin1String(PlotPicture::staticMetaObject.className()) ||
        !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
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
    // Dot by dot in the frame's order; a run of one colour goes in one call.
    QVarLengthArray<QPoint, 512> run;
    const QColor *runColour = nullptr;
    const auto flush = [&] {
        if (run.isEmpty())
            return;
        painter.setPen(QPen(*runColour, 1));
        painter.drawPoints(run.constData(), int(run.size()));
        run.clear();
    };
    for (const PlotDot &dot : frame.dots) {
        if (std::fabs(dot.at.x()) > kScreenHalf || std::fabs(dot.at.y()) > kScreenHalf)
            continue; // outside the picture
        const QColor &colour = colourOf(dot.curve);
        if (&colour != runColour) {
            flush();
            runColour = &colour;
        }
        const QPointF pixel = screenToPixel(dot.at, area);
        run.append(QPoint(qRound(pixel.x()), qRound(pixel.y())));
    }
    flush();
}

PlotPicture::PlotPicture(QWidget *parent) : QWidget(parent)
{
    QAccessible::installFactory(pictureAccessible); // once: Qt ignores a factory it already has
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
}

void PlotPicture::fitImage()
{
    // Drawn at the screen's resolution, so dots and lines stay crisp on high-DPI screens. At a
    // fractional ratio the device size does not divide back to the widget's size, so it is the
    // device size that is compared.
    const qreal ratio = devicePixelRatioF();
    const QSize deviceSize = size() * ratio;
    if (m_image.size() == deviceSize && m_image.devicePixelRatio() == ratio)
        return;
    QImage image(deviceSize, QImage::Format_RGB32);
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
