#pragma once

#include <QLabel>

class QAbstractButton;

// `font` made smaller, down to `floorPoints`, until `text` is at most `width` wide in it; `font`
// itself when the text fits or the font is at the floor already.
QFont fittedFont(const QFont &font, const QString &text, qreal width, qreal floorPoints = 7);

// `font` made smaller, down to `floorPoints`, until its em is at most `pixels` high: a control of a
// fixed height then shows its text whole at a large system font.
QFont fittedToHeight(const QFont &font, int pixels, qreal floorPoints = 7);

// Sets the font of `button` so that its caption fits the button's width and height.
void fitCaption(QAbstractButton *button);

// A one-line label for numbers that may be wider than the label: the text is drawn smaller, down
// to a floor, and past that its digits are cut at the right and marked with "…", the exponent
// always shown whole, so that what shows never reads as another number. text() stays whole for
// screen readers and copying.
class FittingLabel : public QLabel
{
public:
    using QLabel::QLabel;

    // The font and the text as drawn.
    QFont shownFont() const;
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect textRect() const;
    QString textIn(const QFont &font) const; // the text as drawn in `font`
};
