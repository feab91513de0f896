#pragma once

#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;

// The start-up window: six lines fade in, one after another, on black. Any character key, or
// the 470th tick of its 20 ms timer, closes it; closing hands over to the launcher.
class SplashWindow final : public QWidget
{
    Q_OBJECT

public:
    // `closing` runs as the splash closes, before it goes off the screen.
    explicit SplashWindow(std::function<void()> closing, QWidget *parent = nullptr);

    // One timer tick: brighten the caption, advance to the next line, close at the end.
    void tick();
    int ticks() const { return m_ticks; }
    QString caption() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    std::function<void()> m_closing;
    std::array<QString, 6> m_splashlines;
    qint16 m_shade = 0;
    qint16 m_ticks = 0;
    QLabel *m_label;
    QTimer m_timer;
};
