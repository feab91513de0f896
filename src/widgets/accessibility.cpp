#include "widgets/accessibility.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QButtonGroup>
#include <QLabel>
#include <QWidget>

namespace
{

struct AccessibleText {
    const char *window;  // object name of the window
    const char *control; // object name of the control; empty for the window itself
    int index;           // index in the button group of that name; -1 for a control of its own
    const char16_t *name;
    const char16_t *description; // null: the tooltip, if any, describes it
};

// Where a caption is a symbol, the name says what the control does.
constexpr AccessibleText kTexts[] = {
    {"frmSplash", "", -1, u"曜石 启动画面", nullptr},

    // Its description says the mode; the window sets it.
    {"Frm1", "Text1", -1, u"计算显示", nullptr},
    {"Frm1", "N", 0, u"0", nullptr},
    {"Frm1", "N", 1, u"1", nullptr},
    {"Frm1", "N", 2, u"2", nullptr},
    {"Frm1", "N", 3, u"3", nullptr},
    {"Frm1", "N", 4, u"4", nullptr},
    {"Frm1", "N", 5, u"5", nullptr},
    {"Frm1", "N", 6, u"6", nullptr},
    {"Frm1", "N", 7, u"7", nullptr},
    {"Frm1", "N", 8, u"8", nullptr},
    {"Frm1", "N", 9, u"9", nullptr},
    {"Frm1", "dian", -1, u"小数点", nullptr},
    {"Frm1", "ji", 5, u"加", nullptr},
    {"Frm1", "ji", 6, u"减", nullptr},
    {"Frm1", "ji", 10, u"乘", nullptr},
    {"Frm1", "ji", 11, u"除", nullptr},
    {"Frm1", "den", -1, u"等于", nullptr},
    {"Frm1", "hs", 40, u"正弦", nullptr},
    {"Frm1", "hs", 41, u"余弦", nullptr},
    {"Frm1", "hs", 42, u"常用对数", nullptr},
    {"Frm1", "hs", 43, u"自然对数", nullptr},
    {"Frm1", "hs", 44, u"反正切", nullptr},
    {"Frm1", "lk", -1, u"左括号", nullptr},
    {"Frm1", "rk", -1, u"右括号", nullptr},
    {"Frm1", "mi", -1, u"乘方", nullptr},
    {"Frm1", "jc", -1, u"阶乘", nullptr},
    {"Frm1", "Cd1", -1, u"圆周率", nullptr},
    {"Frm1", "Cd2", -1, u"自然常数", nullptr},
    {"Frm1", "Cd3", -1, u"上一步", nullptr},
    {"Frm1", "Cd4", -1, u"到计算状态", nullptr},

    {"Form1", "Text1", -1, u"方程一", nullptr},
    {"Form1", "Text2", -1, u"方程二", nullptr},
    {"Form1", "Text3", -1, u"参数方程一", u"参数方程的横坐标"},
    {"Form1", "Text4", -1, u"参数方程二", u"参数方程的纵坐标"},
    {"Form1", "Picture1", -1, u"函数图像", nullptr},
    {"Form1", "Lbzjx", -1, nullptr, u"左上角横坐标"},
    {"Form1", "Lbzjy", -1, nullptr, u"左上角纵坐标"},
    {"Form1", "lbyjx", -1, nullptr, u"右下角横坐标"},
    {"Form1", "lbyjy", -1, nullptr, u"右下角纵坐标"},
    {"Form1", "Lbxs", -1, nullptr, u"放大系数"},
    {"Form1", "lbx", -1, nullptr, u"指针处的横坐标"},
    {"Form1", "Lby", -1, nullptr, u"指针处的纵坐标"},

    {"Dialog", "Text1", -1, u"帮助说明", nullptr},
};

QWidget *findControl(QWidget *window, const AccessibleText &t)
{
    const QString name = QLatin1String(t.control);
    if (name.isEmpty())
        return window;
    if (t.index < 0)
        return window->findChild<QWidget *>(name);
    const auto *group = window->findChild<QButtonGroup *>(name);
    return group ? group->button(t.index) : nullptr;
}

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

void nameControls(QWidget *window)
{
    const QString windowName = window->objectName();
    for (const AccessibleText &t : kTexts) {
        if (windowName != QLatin1String(t.window))
            continue;
        QWidget *control = findControl(window, t);
        if (!control)
            continue;
        if (t.name)
            control->setAccessibleName(QString::fromUtf16(t.name));
        if (t.description)
            control->setAccessibleDescription(QString::fromUtf16(t.description));
    }
}
