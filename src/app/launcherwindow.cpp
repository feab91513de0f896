#include "launcherwindow.h"

#include "platform/layout.h"

#include <QLabel>
#include <QMouseEvent>

LauncherWindow::LauncherWindow(WindowOpeners openers, QWidget *parent)
    : QWidget(parent), m_openers(std::move(openers))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("曜石2.00"));
    resize(twipsRect(0, 0, 7260, 4830).size());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(204, 224, 225));
    setPalette(palette);
    setAutoFillBackground(true);

    struct Label {
        const char *name;
        const char16_t *caption;
        int left, top, width, height;
        const char16_t *face;
        qreal points;
        bool word; // one of the three words, in dark red
    };
    static const Label kLabels[] = {
        {"Label4", u"曜", 600, 600, 1695, 1815, u"楷体_GB2312", 72, false},
        {"Label5", u"石", 600, 2400, 1695, 1815, u"楷体_GB2312", 72, false},
        {"Label1", u"计算器", 4080, 720, 2295, 615, u"方正舒体", 24, true},
        {"Label2", u"解方程", 4080, 1920, 2295, 615, u"方正舒体", 26.25, true},
        {"Label3", u"帮助", 4080, 3240, 2295, 615, u"方正舒体", 26.25, true},
    };
    QList<QLabel *> words;
    for (const Label &l : kLabels) {
        auto *label = new QLabel(QString::fromUtf16(l.caption), this);
        label->setObjectName(QLatin1String(l.name));
        label->setGeometry(twipsRect(l.left, l.top, l.width, l.height));
        QFont font(QString::fromUtf16(l.face));
        font.setPointSizeF(l.points);
        label->setFont(font);
        QPalette text = label->palette();
        text.setColor(QPalette::WindowText,
                      l.word ? QColor(192, 0, 0) : palette.color(QPalette::ButtonText));
        label->setPalette(text);
        if (l.word) {
            label->setCursor(Qt::PointingHandCursor);
            label->installEventFilter(this);
            words.append(label);
        }
    }
    m_calculator = words[0];
    m_plotter = words[1];
    m_help = words[2];
}

bool LauncherWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == m_calculator)
            m_openers.calculator();
        else if (watched == m_plotter)
            m_openers.plotter();
        else if (watched == m_help)
            m_openers.help();
    }
    return QWidget::eventFilter(watched, event);
}
