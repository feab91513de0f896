#include "plotter/window/fittingbutton.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QStyle>

void FittingButton::fit()
{
    m_fitting = true;
    setFont(QFont()); // start from the font the button inherits
    QFont shown = font();
    // Room for the frame and the padding the style draws around the text.
    const int room = width() - 2 * style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, this) - 4;
    qreal size = shown.pointSizeF();
    while (size > 6 && QFontMetricsF(shown).horizontalAdvance(text()) > room) {
        size -= 0.5;
        shown.setPointSizeF(size);
    }
    if (shown != font())
        setFont(shown);
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
