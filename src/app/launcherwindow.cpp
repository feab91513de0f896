#include "launcherwindow.h"

#include "launchercontrols.h"
#include "widgets/layout.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPainter>

namespace
{

// A word that looks like a label and acts as a push button, for the mouse and for a screen
// reader alike. It takes no focus.
class LauncherWord final : public QAbstractButton
{
public:
    LauncherWord(const QString &caption, QWidget *parent) : QAbstractButton(parent)
    {
        setText(caption);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text());
    }
};

} // namespace

LauncherWindow::LauncherWindow(const WindowOpeners &openers, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QString::fromUtf16(launchercontrols::kTitle));
    resize(twips(launchercontrols::kWidth), twips(launchercontrols::kHeight));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(204, 224, 225));
    setPalette(palette);
    setAutoFillBackground(true);

    for (const LauncherControl &l : launchercontrols::kControls) {
        const QString caption = QString::fromUtf16(l.caption);
        QWidget *label = nullptr;
        if (l.opens) {
            auto *button = new LauncherWord(caption, this);
            connect(button, &QAbstractButton::clicked, this, openers.*l.opens);
            // The words take no focus, so a key of the window's own presses each.
            const QKeySequence key(QChar::fromLatin1(l.key));
            button->setShortcut(key);
            button->setToolTip(QStringLiteral("快捷键 %1").arg(key.toString()));
            label = button;
        } else {
            label = new QLabel(caption, this);
        }
        label->setObjectName(QLatin1String(l.name));
        label->setGeometry(twipsRect(l.left, l.top, l.width, l.height));
        QFont font(QString::fromUtf16(l.face));
        font.setPointSizeF(l.points);
        label->setFont(font);
        QPalette text = label->palette();
        text.setColor(QPalette::WindowText,
                      l.opens ? QColor(192, 0, 0) : palette.color(QPalette::ButtonText));
        label->setPalette(text);
    }
}
