#include "splashwindow.h"

#include "widgets/accessibility.h"
#include "widgets/layout.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>

namespace
{
constexpr int kLastTick = 470;
constexpr int kTicksPerLine = 82;
} // namespace

SplashWindow::SplashWindow(std::function<void()> closing, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_closing(std::move(closing)),
      // Each line fits the label on one line at 72 pt: six Chinese characters at most.
      m_splashlines{QStringLiteral("曜石工作室"), QStringLiteral("曜石项目组"),
                    QStringLiteral("中国 上海"),  QStringLiteral("© 2026 曜石"),
                    QStringLiteral(" 欢迎使用"),  QStringLiteral("曜     石")}
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_QuitOnClose, false); // the launcher takes over
    setGeometry(QRect(QPoint(-twips(75), -twips(75)), twipsRect(0, 0, 17385, 14250).size()));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setGeometry(twipsRect(2880, 2880, 9255, 1455));
    m_label->setFont(QFont(QStringLiteral("宋体"), 72));
    QPalette white = m_label->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_label->setPalette(white);

    describeControl(this, u"曜石 启动画面", nullptr);
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &SplashWindow::tick);
    m_timer.start();
}

QString SplashWindow::caption() const
{
    return m_label->text();
}

void SplashWindow::tick()
{
    m_shade += 3;
    QPalette grey = m_label->palette();
    grey.setColor(QPalette::WindowText, QColor(m_shade, m_shade, m_shade));
    m_label->setPalette(grey);
    ++m_ticks;
    if (m_ticks % 80 == 0)
        m_shade = 0;
    m_label->setText(m_splashlines[qMin<int>(m_ticks / kTicksPerLine, 5)]);
    if (m_ticks >= kLastTick)
        close();
}

void SplashWindow::keyPressEvent(QKeyEvent *event)
{
    if (!event->text().isEmpty())
        close();
}

void SplashWindow::closeEvent(QCloseEvent *event)
{
    m_timer.stop();
    // The launcher comes up first, so that there is never a moment without a window.
    if (m_closing)
        std::exchange(m_closing, nullptr)();
    QWidget::closeEvent(event);
}
