#pragma once

#include <QPushButton>

// A button whose caption, when it is wider than the button at a large system font, is set in a
// smaller font to fit; the button keeps its place and size.
class FittingButton final : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void fit();

    bool m_fitting = false; // setting the font raises a font change of its own
};
