#include "plotter/window/plotpicture.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVarLengthArray>

#include <algorithm>
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

void PlotPicture::setOverlay(PlotOverlay overlay)
{
    m_overlay = std::move(overlay);
    update();
}

void PlotPicture::setCrosshair(std::optional<QPointF> at)
{
    m_crosshair = at;
    update();
}

QPoint PlotPicture::pixelOf(QPointF screen) const
{
    return screenToPixel(screen, size()).toPoint();
}

void PlotPicture::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    Q_EMIT left();
}

void PlotPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor mark(255, 255, 0);
    painter.setPen(QPen(mark, 1.5));
    painter.setBrush(Qt::NoBrush);
    for (const QPointF &ring : m_overlay.rings)
        painter.drawEllipse(pixelOf(ring), 4, 4);
    if (m_crosshair) {
        const QPoint c = pixelOf(*m_crosshair);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawLine(c.x() - 8, c.y(), c.x() - 3, c.y());
        painter.drawLine(c.x() + 3, c.y(), c.x() + 8, c.y());
        painter.drawLine(c.x(), c.y() - 8, c.x(), c.y() - 3);
        painter.drawLine(c.x(), c.y() + 3, c.x(), c.y() + 8);
    }
    // A text too long for one line of the picture wraps, so that it is always read whole.
    const auto textBox = [&](QPoint at, const QString &text) {
        const int flags = Qt::AlignLeft | Qt::TextWordWrap;
        const QRect room(0, 0, std::max(width() - 8, 1), height());
        const QRect bounds =
            painter.fontMetrics().boundingRect(room, flags, text).adjusted(-3, -2, 3, 2);
        QRect box = bounds.translated(at - bounds.topLeft());
        box.moveRight(std::min(box.right(), width() - 1));
        box.moveBottom(std::min(box.bottom(), height() - 1));
        box.moveLeft(std::max(box.left(), 0));
        box.moveTop(std::max(box.top(), 0));
        painter.fillRect(box, QColor(255, 255, 225));
        painter.setPen(Qt::black);
        painter.drawText(box.adjusted(3, 2, -3, -2), flags, text);
    };
    if (m_overlay.hovered >= 0 && m_overlay.hovered < int(m_overlay.rings.size()))
        textBox(pixelOf(m_overlay.rings[m_overlay.hovered]) + QPoint(8, 8), m_overlay.label);
    if (!m_overlay.note.isEmpty())
        textBox(QPoint(4, 4), m_overlay.note);
    if (hasFocus()) {
        // The focus shows as a dotted frame inside the edge.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void PlotPicture::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT pressed(event->button(), pixelToScreen(event->position(), size()));
}

void PlotPicture::mouseMoveEvent(QMouseEvent *event)
{
    Q_EMIT moved(pixelToScreen(event->position(), size()));
}

void PlotPicture::wheelEvent(QWheelEvent *event)
{
    // A step of the wheel is 120; a touchpad sends it in pieces.
    m_wheel += event->angleDelta().y();
    const QPointF at = pixelToScreen(event->position(), size());
    while (std::abs(m_wheel) >= 120) {
        const bool in = m_wheel > 0;
        m_wheel += in ? -120 : 120;
        Q_EMIT wheeled(at, in);
    }
    event->accept();
}

void PlotPicture::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool shift = mods == Qt::ShiftModifier;
    if (mods != Qt::NoModifier && !shift) {
        QWidget::keyPressEvent(event);
        return;
    }
    const double step = shift ? 10 : 1;
    const QPointF at = m_crosshair.value_or(QPointF(0, 0));
    const auto move = [&](double dx, double dy) {
        const QPointF to(std::clamp(at.x() + dx, -kScreenHalf, kScreenHalf),
                         std::clamp(at.y() + dy, -kScreenHalf, kScreenHalf));
        setCrosshair(to);
        Q_EMIT crosshairMoved(to);
    };
    switch (event->key()) {
    case Qt::Key_Left:
        move(-step, 0);
        break;
    case Qt::Key_Right:
        move(step, 0);
        break;
    case Qt::Key_Up:
        move(0, step);
        break;
    case Qt::Key_Down:
        move(0, -step);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Plus:
    case Qt::Key_Equal: // "+" unshifted on most keyboards
        Q_EMIT zoomRequested(at, true);
        break;
    case Qt::Key_Minus:
        Q_EMIT zoomRequested(at, false);
        break;
    case Qt::Key_N:
        Q_EMIT pointRequested(shift ? -1 : 1);
        break;
    case Qt::Key_Home:
        Q_EMIT homeRequested();
        break;
    case Qt::Key_Backspace:
        Q_EMIT backRequested();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void PlotPicture::focusInEvent(QFocusEvent *event)
{
    update();
    QWidget::focusInEvent(event);
}

void PlotPicture::focusOutEvent(QFocusEvent *event)
{
    update();
    QWidget::focusOutEvent(event);
}
