#pragma once

#include <QWidget>

#include <functional>

class QLabel;

// The launcher: the name in large characters, and three words that open the calculator, the
// plotter and the help window.
class LauncherWindow final : public QWidget
{
    Q_OBJECT

public:
    struct Openers {
        std::function<void()> calculator, plotter, help;
    };
    explicit LauncherWindow(Openers openers, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Openers m_openers;
    QLabel *m_calculator;
    QLabel *m_plotter;
    QLabel *m_help;
};
