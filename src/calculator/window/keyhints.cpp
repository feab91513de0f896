#include "calculator/window/keyhints.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>

namespace
{

constexpr int kHoldMs = 500;
const QColor kHintColour(0, 0, 192);

} // namespace

KeyHints::KeyHints(QWidget *keypad, std::function<bool()> calculating)
    : QObject(keypad), m_window(keypad->window()), m_calculating(std::move(calculating))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kHoldMs);
    connect(&m_timer, &QTimer::timeout, this, &KeyHints::show);
    // Before the window's own filter, which uses up the keys that press buttons.
    qApp->installEventFilter(this);
}

void KeyHints::add(QAbstractButton *button, KeyCommand command)
{
    const QString key = keyName(command);
    if (!key.isEmpty())
        m_hints.push_back({button, key, {}, {}});
}

bool KeyHints::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        // A key that a control leaves goes on to its parents: count it once, where it was sent.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched != QApplication::focusWidget() ||
            QApplication::focusWidget()->window() != m_window || key->isAutoRepeat())
            break;
        const bool ctrlAlone = key->key() == Qt::Key_Control &&
                               !(key->modifiers() & ~(Qt::ControlModifier | Qt::KeypadModifier));
        if (event->type() == QEvent::KeyPress && ctrlAlone && m_calculating())
            m_timer.start();
        else if (event->type() == QEvent::KeyPress || key->key() == Qt::Key_Control)
            hide();
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::WindowDeactivate:
        if (watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == m_window)
            hide();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void KeyHints::show()
{
    if (m_shown || !m_calculating())
        return;
    m_shown = true;
    for (Hint &hint : m_hints) {
        if (!hint.button)
            continue;
        hint.caption = hint.button->text();
        hint.palette = hint.button->palette();
        QPalette hinted = hint.palette;
        hinted.setColor(QPalette::ButtonText, kHintColour);
        hint.button->setPalette(hinted);
        hint.button->setText(hint.key);
    }
}

void KeyHints::hide()
{
    m_timer.stop();
    if (!m_shown)
        return;
    m_shown = false;
    for (const Hint &hint : m_hints) {
        if (!hint.button)
            continue;
        hint.button->setText(hint.caption);
        hint.button->setPalette(hint.palette);
    }
}
