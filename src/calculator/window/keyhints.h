#pragma once

#include "calculator/engine/keytable.h"

#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>

class QAbstractButton;
class QWidget;

// Keys you can see: holding Ctrl alone for half a second while the calculator calculates shows
// on each keypad button the key that presses it, in place of its caption; letting go of Ctrl,
// or any other key or click, brings the captions back. It only watches: every key still goes
// where it went, so Ctrl with a digit still counts as that digit.
class KeyHints final : public QObject
{
    Q_OBJECT

public:
    // Watches the keys of the window that holds `keypad`, and goes with the keypad; `calculating`
    // tells whether the window is in calculation mode.
    KeyHints(QWidget *keypad, std::function<bool()> calculating);

    // A keypad button and what it presses; a button that no key presses gets no hint.
    void add(QAbstractButton *button, KeyCommand command);

    bool shown() const { return m_shown; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void show();
    void hide();

    struct Hint {
        QPointer<QAbstractButton> button;
        QString key;
        QString caption;
        QPalette palette;
    };
    QWidget *m_window;
    std::function<bool()> m_calculating;
    std::vector<Hint> m_hints;
    QTimer m_timer;
    bool m_shown = false;
};
