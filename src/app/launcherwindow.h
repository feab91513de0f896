#pragma once

#include "platform/openers.h"

#include <QWidget>

class QLabel;

// The launcher: the name in large characters, and three words that open the calculator, the
// plotter and the help window.
class LauncherWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit LauncherWindow(WindowOpeners openers, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WindowOpeners m_openers;
    QLabel *m_calculator;
    QLabel *m_plotter;
    QLabel *m_help;
};
