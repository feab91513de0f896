#include "plotter/window/plotterwindow.h"

#include "platform/platform.h"
#include "plotter/window/fittingbutton.h"
#include "plotter/window/plotpicture.h"
#include "plotter/window/plottercontrols.h"
#include "plotter/window/plottermessages.h"
#include "widgets/accessibility.h"
#include "widgets/fittinglabel.h"
#include "widgets/layout.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace
{

const QColor kWindowColour(180, 139, 179);
const QColor kReadoutColour(204, 224, 225);
const QColor kCaptionPink(255, 192, 192);
// Bitmap first, as the program always offered; PNG after it.
const QString kPictureFilter = QStringLiteral("(*.bmp)|*.bmp|(*.ico)|*.ico|(*.png)|*.png");
constexpr int kPngFilter = 2;
// Views kept for Backspace.
constexpr std::size_t kHistory = 50;
// How near the pointer must come to a ring for its label to show, in pixels.
constexpr double kHoverPixels = 6;

namespace msg = plottermessages;

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The file's extension decides; a name without a known one follows the dialog's filter. An .ico
// name gets a bitmap, as it always did.
const char *pictureFormat(const QString &path, int filter)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"png")
        return "PNG";
    if (suffix == u"bmp" || suffix == u"ico")
        return "BMP";
    return filter == kPngFilter ? "PNG" : "BMP";
}

} // namespace

PlotterWindow::PlotterWindow(Platform &platform, WindowOpeners openers, QWidget *parent)
    : QWidget(parent), m_platform(platform), m_openers(std::move(openers))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(msg::windowTitle());
    setBackground(this, kWindowColour);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void PlotterWindow::load()
{
    if (!isLoaded()) {
        // Loaded afresh, the window comes up as laid out, whatever size it was closed at.
        setWindowState(Qt::WindowNoState);
        resize(kLaidOutSize);
        move(twips(2415), twips(345));
        build();
    }
    if (isVisible()) {
        raise();
        activateWindow();
    }
    show();
}

void PlotterWindow::build()
{
    // The controls keep their places on a surface of the laid-out size that grows with the
    // window; a smaller window scrolls it, so no control is ever out of reach.
    auto *area = new QScrollArea(this);
    area->setObjectName(QStringLiteral("controlsArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidgetResizable(true);
    area->horizontalScrollBar()->setAccessibleName(msg::scrollBarName(Qt::Horizontal));
    area->verticalScrollBar()->setAccessibleName(msg::scrollBarName(Qt::Vertical));
    auto *controls = new QWidget;
    controls->setObjectName(QStringLiteral("controls"));
    controls->setMinimumSize(kLaidOutSize);
    setBackground(controls, kWindowColour);
    QMap<int, QWidget *> focusOrder;
    using enum PlotterControl::Kind;
    for (const PlotterControl &c : plottercontrols::kControls) {
        const QString text = QString::fromUtf16(c.text);
        QWidget *widget = nullptr;
        switch (c.kind) {
        case Caption:
        case Readout: {
            // A caption too wide for its place at a large system font is drawn smaller.
            auto *label = new FittingLabel(text, controls);
            label->setAlignment(
                (c.align == PlotterControl::Centre ? Qt::AlignHCenter : Qt::AlignLeft) |
                Qt::AlignVCenter);
            setBackground(label,
                          c.kind == Readout ? kReadoutColour : palette().color(QPalette::Button));
            widget = label;
            break;
        }
        case Button:
            widget = new FittingButton(text, controls);
            focusOrder.insert(c.tabIndex, widget);
            break;
        case Box: {
            auto *box = new QLineEdit(controls);
            // As long as the engine takes: a longer paste cut short would read as another text.
            box->setMaxLength(std::numeric_limits<int>::max());
            connect(box, &QLineEdit::returnPressed, this, &PlotterWindow::run);
            widget = box;
            focusOrder.insert(c.tabIndex, widget);
            break;
        }
        case Picture:
            widget = new PlotPicture(controls);
            focusOrder.insert(c.tabIndex, widget);
            break;
        }
        widget->setObjectName(QLatin1String(c.name));
        widget->setGeometry(twipsRect(c.left, c.top, c.width, c.height));
        describeControl(widget, c.accessibleName, c.accessibleDescription);
        // A box's text is cut at its foot in a font taller than the box.
        if (c.kind == Box)
            widget->setFont(fittedToHeight(widget->font(), widget->height() - 5));
    }
    const auto label = [controls](const char *name) {
        return controls->findChild<QLabel *>(QLatin1String(name));
    };
    for (const char *name : {"Label3", "Label4"}) {
        QLabel *caption = label(name);
        QFont font(QStringLiteral("宋体"));
        font.setPointSizeF(14.25);
        caption->setFont(font);
        setBackground(caption, kCaptionPink);
    }
    m_topLeftX = label("Lbzjx");
    m_topLeftY = label("Lbzjy");
    m_bottomRightX = label("lbyjx");
    m_bottomRightY = label("lbyjy");
    m_zoom = label("Lbxs");
    m_x = label("lbx");
    m_y = label("Lby");
    for (int i = 0; i < 4; ++i) {
        m_boxes[i] = controls->findChild<QLineEdit *>(QStringLiteral("Text%1").arg(i + 1));
    }
    m_boxes[0]->setToolTip(msg::firstBoxTooltip());

    auto *picture = controls->findChild<PlotPicture *>(QStringLiteral("Picture1"));
    picture->setToolTip(msg::pictureTooltip());
    picture->clear();
    m_points = {}; // a fresh picture marks nothing until it is drawn
    m_hovered = m_current = -1;
    m_picture = picture;
    const QList<QWidget *> order = focusOrder.values();
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    const auto button = [controls](const char *name) {
        return controls->findChild<QPushButton *>(QLatin1String(name));
    };
    connect(button("Cdyx"), &QPushButton::clicked, this, &PlotterWindow::run);
    connect(button("Cdqc"), &QPushButton::clicked, this, &PlotterWindow::clearEquations);
    connect(button("Command1"), &QPushButton::clicked, this, &PlotterWindow::savePicture);
    connect(button("Command2"), &QPushButton::clicked, this, &PlotterWindow::returnToCalculator);
    connect(picture, &PlotPicture::pressed, this, &PlotterWindow::pictureMouseDown);
    connect(picture, &PlotPicture::moved, this, &PlotterWindow::pictureMouseMove);
    connect(picture, &PlotPicture::left, this, &PlotterWindow::pointerLeft);
    connect(picture, &PlotPicture::wheeled, this, &PlotterWindow::pictureWheel);
    connect(picture, &PlotPicture::crosshairMoved, this, &PlotterWindow::crosshairMoved);
    connect(picture, &PlotPicture::zoomRequested, this, &PlotterWindow::zoomAtCrosshair);
    connect(picture, &PlotPicture::pointRequested, this, &PlotterWindow::goToPoint);
    connect(picture, &PlotPicture::homeRequested, this, &PlotterWindow::goHome);
    connect(picture, &PlotPicture::backRequested, this, &PlotterWindow::goBack);
    area->setWidget(controls);
    layout()->addWidget(area);
    for (int i = 0; i < 4; ++i)
        m_boxDescriptions[i] = m_boxes[i]->accessibleDescription();
    m_boxes[0]->setFocus();
}

void PlotterWindow::redraw(const PlotFrame &frame)
{
    m_topLeftX->setText(frame.topLeftX);
    m_topLeftY->setText(frame.topLeftY);
    m_bottomRightX->setText(frame.bottomRightX);
    m_bottomRightY->setText(frame.bottomRightY);
    m_zoom->setText(frame.zoom);
    m_zoomText = frame.zoom;
    m_picture->clear();
    m_picture->draw(frame);
    m_points = findPoints(m_view, m_equations);
    m_current = -1;
    showPoints(msg::cappedNote(m_points));
    if (const auto at = m_picture->crosshair())
        hover(*at);
    describe();
}

void PlotterWindow::showPoints(const QString &note)
{
    PlotOverlay overlay;
    for (const PointOfInterest &p : m_points.points)
        overlay.rings.push_back(m_view.toScreen(p.x, p.y));
    overlay.hovered = m_hovered = -1;
    overlay.note = note;
    m_picture->setOverlay(std::move(overlay));
}

// Qt tells a screen reader of the change.
void PlotterWindow::describe(const QString &announced)
{
    const QString text = msg::describePlot(m_drawn, m_points, m_view, m_zoomText);
    m_picture->setAccessibleDescription(announced.isEmpty() ? text : announced + u'。' + text);
}

void PlotterWindow::hover(QPointF screen)
{
    setHovered(nearestPoint(m_points, m_view, screen, m_picture->size(), kHoverPixels));
}

void PlotterWindow::setHovered(int point)
{
    if (point == m_hovered)
        return;
    m_hovered = point;
    PlotOverlay overlay = m_picture->overlay();
    overlay.hovered = point;
    overlay.label = point < 0 ? QString() : msg::pointLabel(m_points.points[point]);
    m_picture->setOverlay(std::move(overlay));
}

void PlotterWindow::run()
{
    // The boxes that cannot be drawn, by reason, the reasons in the order of their first box.
    std::vector<std::pair<GroupFault, QStringList>> failed;
    for (int i = 0; i < 4; ++i) {
        const QString text = m_boxes[i]->text();
        // An empty box, or one whose groups cannot be cut out, draws no curve.
        const GroupList list = text.isEmpty() ? GroupList() : parsegroups(text);
        m_equations[i] = Equation(list.groups);
        m_drawn[i] = list.fault == GroupFault::None ? text : QString();
        markTokens(i, list.fault == GroupFault::None ? text : QString());
        if (list.fault == GroupFault::None)
            continue;
        const auto same = std::find_if(failed.begin(), failed.end(),
                                       [&](const auto &f) { return f.first == list.fault; });
        if (same == failed.end())
            failed.push_back({list.fault, {msg::boxCaption(i)}});
        else
            same->second.append(msg::boxCaption(i));
    }
    m_view.resetZoom();
    m_history.clear();
    redraw(plotcurves(m_view, m_equations));
    if (failed.empty())
        return;
    m_platform.showMessage(this, msg::groupFaults(failed), msg::messageTitle(),
                           Platform::Buttons::Ok);
}

// The curve stays as drawn; the box only says what its text probably meant.
void PlotterWindow::markTokens(int box, const QString &text)
{
    const QString hints = msg::tokenHints(checkTokens(text));
    // The warning is there only while it has something to say, for a screen reader too.
    if (hints.isEmpty()) {
        delete m_hints[box];
    } else {
        if (!m_hints[box]) {
            m_hints[box] = m_boxes[box]->addAction(
                style()->standardIcon(QStyle::SP_MessageBoxWarning), QLineEdit::TrailingPosition);
            m_hints[box]->setText(msg::tokenWarningName());
        }
        m_hints[box]->setToolTip(hints);
    }
    const QString &named = m_boxDescriptions[box];
    m_boxes[box]->setAccessibleDescription(hints.isEmpty()   ? named
                                           : named.isEmpty() ? hints
                                                             : named + u'。' + hints);
}

void PlotterWindow::clearEquations()
{
    for (int i = 0; i < 4; ++i) {
        m_boxes[i]->clear();
        markTokens(i, {});
    }
    m_view = PlotView();
    m_equations = Equations();
    m_drawn = {};
    m_history.clear();
    redraw(drawaxes(m_view));
}

template <typename Change> void PlotterWindow::changeView(QPointF screen, bool in, Change change)
{
    const PlotView before = m_view;
    if (!change()) {
        if (in && m_view.beyondPrecision(screen))
            showPoints(msg::beyondPrecision());
        return;
    }
    m_history.push_back(before);
    if (m_history.size() > kHistory)
        m_history.erase(m_history.begin());
    redraw(plotcurves(m_view, m_equations));
}

void PlotterWindow::pictureMouseDown(Qt::MouseButton button, QPointF screen)
{
    if (button != Qt::LeftButton && button != Qt::RightButton)
        return;
    const bool in = button == Qt::LeftButton;
    m_picture->setCrosshair(std::nullopt); // the mouse has taken over
    changeView(screen, in, [&] { return m_view.zoomAt(screen, in); });
}

void PlotterWindow::pictureWheel(QPointF screen, bool in)
{
    changeView(screen, in, [&] { return m_view.zoomAbout(screen, in); });
}

void PlotterWindow::zoomAtCrosshair(QPointF screen, bool in)
{
    m_picture->setCrosshair(QPointF(0, 0)); // the point zoomed at becomes the centre
    changeView(screen, in, [&] { return m_view.zoomAt(screen, in); });
    crosshairMoved(m_picture->crosshair().value_or(QPointF()));
}

void PlotterWindow::goHome()
{
    changeView({}, false, [&] {
        m_view = PlotView();
        return true;
    });
    if (const std::optional<QPointF> crosshair = m_picture->crosshair())
        crosshairMoved(*crosshair);
}

// A label stays only while the pointer is over its ring.
void PlotterWindow::pointerLeft()
{
    setHovered(-1);
}

void PlotterWindow::goBack()
{
    if (m_history.empty())
        return;
    m_view = m_history.back();
    m_history.pop_back();
    redraw(plotcurves(m_view, m_equations));
}

void PlotterWindow::goToPoint(int step)
{
    const int count = int(m_points.points.size());
    if (count == 0)
        return;
    m_current = m_current < 0 ? (step > 0 ? 0 : count - 1) : (m_current + step + count) % count;
    const PointOfInterest &p = m_points.points[m_current];
    m_picture->setCrosshair(m_view.toScreen(p.x, p.y));
    setHovered(m_current);
    // The point's own coordinates, not those of the screen position it is drawn at.
    m_x->setText(msg::exactReadout(p.x));
    m_y->setText(msg::exactReadout(p.y));
    describe(msg::pointLabel(p));
}

void PlotterWindow::crosshairMoved(QPointF screen)
{
    const int before = m_hovered;
    pictureMouseMove(screen);
    m_current = m_hovered;
    if (m_hovered != before)
        describe(m_hovered < 0 ? QString() : msg::pointLabel(m_points.points[m_hovered]));
}

void PlotterWindow::pictureMouseMove(QPointF screen)
{
    m_x->setText(coordinateText(m_view.cenx, screen.x(), m_view.zoomPower()));
    m_y->setText(coordinateText(m_view.ceny, screen.y(), m_view.zoomPower()));
    hover(screen);
}

void PlotterWindow::savePicture()
{
    int filter = 0;
    const QString path = m_platform.showSave(this, kPictureFilter, &filter);
    if (path.isEmpty())
        return;
    QString error;
    if (!writePicture(m_picture->image(), path, pictureFormat(path, filter), &error)) {
        m_platform.showMessage(this, msg::saveFailed(path, error), msg::messageTitle(),
                               Platform::Buttons::Ok);
    }
}

void PlotterWindow::copyPicture()
{
    m_platform.copyToClipboard(m_picture->image());
}

void PlotterWindow::copyReadout()
{
    // The point under the pointer or the crosshair, to the last digit.
    if (m_hovered >= 0) {
        m_platform.copyToClipboard(msg::pointCopy(m_points.points[m_hovered]));
        return;
    }
    // Nothing to copy before the pointer has been over the picture.
    if (m_x->text().isEmpty())
        return;
    // The numbers as shown, without the blank that stands for a plus sign.
    m_platform.copyToClipboard(m_x->text().trimmed() + QStringLiteral(", ") +
                               m_y->text().trimmed());
}

void PlotterWindow::keyPressEvent(QKeyEvent *event)
{
    // A box with the focus copies its own text; keys reach the window from anywhere else.
    if (event->keyCombination() ==
        QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_C))
        copyReadout();
    else if (event->matches(QKeySequence::Copy))
        copyPicture();
    else
        QWidget::keyPressEvent(event);
}

void PlotterWindow::returnToCalculator()
{
    m_openers.calculator();
    close();
}

void PlotterWindow::closeEvent(QCloseEvent *event)
{
    // Unloading: the controls go; the view and the equations stay for the next opening.
    if (auto *area = findChild<QScrollArea *>(QStringLiteral("controlsArea"))) {
        area->setParent(nullptr);
        area->deleteLater();
    }
    m_picture.clear();
    QWidget::closeEvent(event);
}
