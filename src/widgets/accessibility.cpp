#include "widgets/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QWidget>

namespace
{

QAccessibleInterface *plainWindowAccessible(const QString &className, QObject *object)
{
    if (className != u"QWidget" || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (!widget->isWindow())
        return nullptr;
    return new QAccessibleWidget(widget, widget->windowType() == Qt::Dialog ? QAccessible::Dialog
                                                                            : QAccessible::Window);
}

// Qt's name for the prompt of every message box.
const QString kMessageLabel = QStringLiteral("qt_msgbox_label");

// A message box's prompt as read-only text. Qt's labels have no text interface, so a screen
// reader is never told that their text appeared; with one, Qt sends the prompt as inserted text.
class MessageText final : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit MessageText(QLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? prompt() : QAccessibleWidget::text(t);
    }

    // All of the prompt, no caret, nothing selected.
    QString text(int start, int end) const override { return prompt().mid(start, end - start); }
    int characterCount() const override { return int(prompt().size()); }
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QString prompt() const { return static_cast<QLabel *>(widget())->text(); }
};

QAccessibleInterface *messageTextAccessible(const QString &className, QObject *object)
{
    if (className != u"QLabel" || object->objectName() != kMessageLabel)
        return nullptr;
    return new MessageText(static_cast<QLabel *>(object));
}

} // namespace

void installAccessibility()
{
    QAccessible::installFactory(plainWindowAccessible);
    QAccessible::installFactory(messageTextAccessible);
}

void describeControl(QWidget *control, const char16_t *name, const char16_t *description)
{
    if (name)
        control->setAccessibleName(QString::fromUtf16(name));
    if (description)
        control->setAccessibleDescription(QString::fromUtf16(description));
}
