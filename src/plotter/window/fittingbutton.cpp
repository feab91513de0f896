#include "plotter/window/fittingbutton.h"

#include "widgets/fittinglabel.h"

#include <QEvent>

void FittingButton::fit()
{
    m_fitting = true;
    setFont(QFont()); // start from the font the button inherits
    fitCaption(this);
    m_fitting = false;
}

void FittingButton::resizeEvent(QResizeEvent *event)
{
    fit();
    QPushButton::resizeEvent(event);
}

void FittingButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange && !m_fitting)
        fit();
    QPushButton::changeEvent(event);
}
