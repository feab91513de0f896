#pragma once

#include <QImage>
#include <QWidget>

class Platform;

// The print window: never shown. Loading it draws the text onto its surface, asks for a printer
// and the number of copies, and prints the surface once per copy.
class PrintWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit PrintWindow(Platform &platform, QWidget *parent = nullptr);

    // The whole print sequence. Cancel or a failure ends it silently.
    void load(const QString &text);

    // The surface as printed: the text from the top-left corner on the window's colours.
    QImage render(const QString &text) const;

private:
    Platform &m_platform;
};
