#pragma once

#include "platform/openers.h"
#include "plotter/engine/plot.h"
#include "plotter/engine/points.h"
#include "plotter/window/plottercontrols.h"
#include "widgets/layout.h"

#include <QPointer>
#include <QWidget>

class Platform;
class PlotPicture;
class QAction;
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
    static constexpr QSize kLaidOutSize{twips(plottercontrols::kWidth),
                                        twips(plottercontrols::kHeight)};

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
    void pictureWheel(QPointF screen, bool in);
    void zoomAtCrosshair(QPointF screen, bool in);
    void goToPoint(int step);
    void goHome();
    void pointerLeft();
    void goBack();
    const PointsOfInterest &points() const { return m_points; }
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
    // Changes the view through `change`, keeping the view before it for Backspace; a change that
    // is refused draws nothing, and one refused for want of precision says so.
    template <typename Change> void changeView(QPointF screen, bool in, Change change);
    void showPoints(const QString &note);
    void crosshairMoved(QPointF screen);
    void hover(QPointF screen);
    void setHovered(int point);
    void describe(const QString &announced = {});
    void markTokens(int box, const QString &text);

    Platform &m_platform;
    WindowOpeners m_openers;
    PlotView m_view;
    Equations m_equations;
    std::array<QString, 4> m_drawn; // the boxes' texts as last drawn, for the picture's description
    QString m_zoomText;
    PointsOfInterest m_points;       // those within the picture
    int m_hovered = -1;              // the point under the pointer or the crosshair
    int m_current = -1;              // the point N went to last
    std::vector<PlotView> m_history; // views before the current one, for Backspace

    QPointer<PlotPicture> m_picture;
    std::array<QPointer<QLineEdit>, 4> m_boxes;
    std::array<QPointer<QAction>, 4> m_hints; // the warning inside a box whose tokens mislead
    std::array<QString, 4> m_boxDescriptions; // as named, before any warning
    QPointer<QLabel> m_topLeftX, m_topLeftY, m_bottomRightX, m_bottomRightY, m_zoom, m_x, m_y;
};
