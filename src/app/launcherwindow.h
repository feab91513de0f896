#pragma once

#include "platform/openers.h"

#include <QWidget>

// The launcher: the name in large characters, and three words that open the calculator, the
// plotter and the help window. The words are buttons: one opens its window when it is pressed
// and released over it, as a push button does, or when its key is pressed: C, P and H.
class LauncherWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit LauncherWindow(const WindowOpeners &openers, QWidget *parent = nullptr);
};
