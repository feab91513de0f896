#pragma once

#include "plotter/engine/plot.h"

#include <QImage>
#include <QWidget>

#include <optional>
#include <vector>

// The plotter's drawing surface. It keeps what is drawn in its own image, which repaints it and
// is what Save picture writes. Mouse positions are reported in the picture's coordinates,
// -150..150 on both axes with y upwards.
// What is drawn over the picture on screen only: never part of its image.
struct PlotOverlay {
    std::vector<QPointF> rings; // points of interest, in the picture's coordinates
    int hovered = -1;           // the ring whose label shows, or -1
    QString label;
    QString note; // at the top of the picture
};

// The plotter's drawing surface. It keeps what is drawn in its own image, which repaints it and
// is what Save picture writes. Mouse positions are reported in the picture's coordinates,
// -150..150 on both axes with y upwards. With the focus it is driven by keys: the arrows move a
// crosshair, Return or "+" zooms in at it, "-" out, N and Shift+N go to the next and previous
// point, Home and Backspace go to the first and the previous view.
class PlotPicture final : public QWidget
{
    Q_OBJECT

public:
    explicit PlotPicture(QWidget *parent = nullptr);

    const QImage &image() const { return m_image; }
    void clear();
    void draw(const PlotFrame &frame);
    void setOverlay(PlotOverlay overlay);
    const PlotOverlay &overlay() const { return m_overlay; }

    // The keyboard's crosshair, none until a key moves it.
    std::optional<QPointF> crosshair() const { return m_crosshair; }
    void setCrosshair(std::optional<QPointF> at);

Q_SIGNALS:
    void pressed(Qt::MouseButton button, QPointF screen);
    void moved(QPointF screen);
    void left(); // the pointer left the picture
    void wheeled(QPointF screen, bool in);
    void crosshairMoved(QPointF screen);
    void zoomRequested(QPointF screen, bool in);
    void pointRequested(int step); // 1 next, -1 previous
    void homeRequested();
    void backRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void fitImage();
    QPoint pixelOf(QPointF screen) const;

    QImage m_image;
    PlotOverlay m_overlay;
    std::optional<QPointF> m_crosshair;
    int m_wheel = 0; // angle turned since the last step
};

// Colours of the picture.
inline const QColor kPictureBackground{0, 0, 0};
inline const QColor kAxisColour{0, 255, 255};
inline const QColor kCurve1Colour{200, 120, 100};
inline const QColor kCurve2Colour{255, 0, 255};

// Draws a frame's axes and dots onto an image that spans the picture's coordinates. The one
// drawing routine for the screen, saved pictures and tests.
void renderPlot(QImage &image, const PlotFrame &frame);
