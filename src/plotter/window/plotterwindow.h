#pragma once

#include "platform/openers.h"
#include "plotter/engine/plot.h"
#include "widgets/layout.h"

#include <QPointer>
#include <QWidget>

class Platform;
class PlotPicture;
class QLabel;
class QLineEdit;

// The equation plotter window. The object lives for the whole run and keeps the view and the
// equations; its controls are made afresh each time it is loaded, with empty boxes and a blank
// picture.
class PlotterWindow final : public QWidget
{
    Q_OBJECT

public:
    // The client area as laid out.
    static constexpr QSize kLaidOutSize{twips(6795), twips(8160)};

    // Return brings up the calculator through `openers.calculator`.
    PlotterWindow(Platform &platform, WindowOpeners openers, QWidget *parent = nullptr);

    bool isLoaded() const { return !m_picture.isNull(); }
    void load();
    const PlotView &view() const { return m_view; }

    // The handlers, public so that tests can press at exact picture coordinates.
    void run();
    void clearEquations();
    void pictureMouseDown(Qt::MouseButton button, QPointF screen);
    void pictureMouseMove(QPointF screen);
    void savePicture();
    void copyPicture();
    void copyReadout();
    void returnToCalculator();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void build();
    void redraw(const PlotFrame &frame);

    Platform &m_platform;
    WindowOpeners m_openers;
    PlotView m_view;
    Equations m_equations;
    std::array<QString, 4> m_drawn; // the boxes' texts as last drawn, for the picture's description

    QPointer<PlotPicture> m_picture;
    std::array<QPointer<QLineEdit>, 4> m_boxes;
    QPointer<QLabel> m_topLeftX, m_topLeftY, m_bottomRightX, m_bottomRightY, m_zoom, m_x, m_y;
};
