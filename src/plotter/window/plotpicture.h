#pragma once

#include "plotter/engine/plot.h"

#include <QImage>
#include <QWidget>

// The plotter's drawing surface. It keeps what is drawn in its own image, which repaints it and
// is what Save picture writes. Mouse positions are reported in the picture's coordinates,
// -150..150 on both axes with y upwards.
class PlotPicture final : public QWidget
{
    Q_OBJECT

public:
    explicit PlotPicture(QWidget *parent = nullptr);

    const QImage &image() const { return m_image; }
    void clear();
    void draw(const PlotFrame &frame);

Q_SIGNALS:
    void pressed(Qt::MouseButton button, QPointF screen);
    void moved(QPointF screen);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void fitImage();

    QImage m_image;
};

// Colours of the picture.
inline const QColor kPictureBackground{0, 0, 0};
inline const QColor kAxisColour{0, 255, 255};
inline const QColor kCurve1Colour{200, 120, 100};
inline const QColor kCurve2Colour{255, 0, 255};

// Draws a frame's axes and dots onto an image that spans the picture's coordinates. The one
// drawing routine for the screen, saved pictures and tests.
void renderPlot(QImage &image, const PlotFrame &frame);
