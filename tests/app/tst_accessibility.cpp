#include "app/yaoshiapp.h"
#include "support/scriptedplatform.h"
#include "widgets/accessibility.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

// Every window as a screen reader sees it through Qt's accessibility: each control that can be
// pressed, typed into or focused has a name of its own that says it in words, and each control
// the role that says what it is.
class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installAccessibility(); }
    void init();
    void cleanup();
    void windowsAsAScreenReaderSeesThem_data();
    void windowsAsAScreenReaderSeesThem();
    void messagePromptIsText();

private:
    QTemporaryDir m_dir;
    ScriptedPlatform m_platform;
    std::unique_ptr<YaoshiApp> m_app;
};

namespace
{

struct Spot {
    const char *window;
    const char *control; // object name, "#index" within a button group; empty for the window
    QAccessible::Role role;
    const char16_t *name;
    const char16_t *description;
};

// A few controls whose whole reading is known: the window's names, a symbol's name, texts that
// come from a tooltip, from the window's table and from the window's own state.
constexpr Spot kSpots[] = {
    {"frmSplash", "", QAccessible::Window, u"曜石 启动画面", u""},
    {"frmSplash", "Label1", QAccessible::StaticText, u"", u""},
    {"Form2", "", QAccessible::Window, u"曜石2.00", u""},
    {"Form2", "Label1", QAccessible::Button, u"计算器", u"快捷键 C"},
    {"Frm1", "", QAccessible::Window, u"曜石.1.0", u""},
    {"Frm1", "Text1", QAccessible::EditableText, u"计算显示",
     u"计算状态：算式与结果；按 F2 键或单击后可输入文字"},
    {"Frm1", "ji#5", QAccessible::Button, u"加", u""},
    {"Frm1", "hs#44", QAccessible::Button, u"反正切", u"反正切函数,键盘输入a"},
    {"Frm1", "nmusaveas", QAccessible::MenuItem, u"另存为a", u""},
    {"Form1", "", QAccessible::Window, u"曜石----解方程", u""},
    {"Form1", "Text1", QAccessible::EditableText, u"方程一",
     u"请自行算试正确检查,注意空格使用,详看帮助"},
    {"Form1", "Text4", QAccessible::EditableText, u"参数方程二", u"参数方程的纵坐标"},
    {"Form1", "Picture1", QAccessible::Graphic, u"函数图像", u"左键放大,右键缩小"},
    {"Form1", "Lbxs", QAccessible::StaticText, u"1", u"放大系数"},
    {"Dialog", "", QAccessible::Dialog, u"帮助使用", u""},
    {"Dialog", "Text1", QAccessible::EditableText, u"帮助说明", u""},
};

// Pressed, typed into or focused: what a screen reader lets the user act on.
bool isInteractive(QAccessibleInterface *iface)
{
    switch (iface->role()) {
    case QAccessible::ScrollBar: // its role and orientation say all there is
        return false;
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::MenuItem:
    case QAccessible::Link:
        return true;
    default:
        break;
    }
    if (iface->state().focusable)
        return true;
    QAccessibleActionInterface *actions = iface->actionInterface();
    return actions && !actions->actionNames().isEmpty();
}

QString keyOf(QObject *object, QWidget *window)
{
    if (object == window)
        return QString();
    QString key = object->objectName();
    if (auto *button = qobject_cast<QAbstractButton *>(object); button && button->group())
        key += QStringLiteral("#%1").arg(button->group()->id(button));
    return key;
}

struct Seen {
    QString key;
    QObject *object;
    QAccessible::Role role;
    QString name, description;
    bool interactive;
};

void walk(QAccessibleInterface *iface, QWidget *window, QList<Seen> &seen)
{
    seen.append({keyOf(iface->object(), window), iface->object(), iface->role(),
                 iface->text(QAccessible::Name), iface->text(QAccessible::Description),
                 isInteractive(iface)});
    for (int i = 0; i < iface->childCount(); ++i)
        walk(iface->child(i), window, seen);
}

// The role a screen reader must be told for what the control is.
QAccessible::Role roleOf(QObject *object, QAccessible::Role given)
{
    if (qobject_cast<QAbstractButton *>(object))
        return QAccessible::Button;
    if (qobject_cast<QLineEdit *>(object) || qobject_cast<QPlainTextEdit *>(object))
        return QAccessible::EditableText;
    if (qobject_cast<QLabel *>(object))
        return QAccessible::StaticText;
    return given;
}

// A name that a screen reader can say as a word: a symbol alone ("+", "(") reads as nothing.
bool isWord(const QString &name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

} // namespace

void TestAccessibility::init()
{
    m_app = std::make_unique<YaoshiApp>(m_platform, m_dir.filePath(QStringLiteral("steps/")));
    m_app->start();
}

void TestAccessibility::cleanup()
{
    QCOMPARE(m_platform.unexpected, QStringList());
    m_app.reset();
}

void TestAccessibility::windowsAsAScreenReaderSeesThem_data()
{
    QTest::addColumn<QString>("window");
    for (const char *window : {"frmSplash", "Form2", "Frm1", "Form1", "Dialog"})
        QTest::newRow(window) << QString::fromLatin1(window);
}

void TestAccessibility::windowsAsAScreenReaderSeesThem()
{
    QFETCH(QString, window);
    QWidget *shown = nullptr;
    if (window == u"frmSplash") {
        shown = m_app->splash();
    } else {
        QTest::keyClick(m_app->splash(), Qt::Key_Return);
        if (window == u"Form2") {
            shown = &m_app->launcher();
        } else if (window == u"Frm1") {
            m_app->calculator().load();
            shown = &m_app->calculator();
        } else if (window == u"Form1") {
            m_app->plotter().load();
            shown = &m_app->plotter();
        } else {
            m_app->help().load();
            shown = &m_app->help();
        }
    }
    QCOMPARE(shown->objectName(), window);

    QList<Seen> seen;
    walk(QAccessible::queryAccessibleInterface(shown), shown, seen);
    QStringList wrong;
    QSet<QString> names;
    for (const Seen &s : seen) {
        const QString what = s.key + u' ' + s.name;
        if (s.role != roleOf(s.object, s.role))
            wrong.append(what + QStringLiteral(": wrong role"));
        if (!s.interactive)
            continue;
        if (!isWord(s.name))
            wrong.append(what + QStringLiteral(": not a name"));
        if (names.contains(s.name))
            wrong.append(what + QStringLiteral(": name twice"));
        names.insert(s.name);
    }
    for (const Spot &spot : kSpots) {
        if (window != QLatin1String(spot.window))
            continue;
        const auto it = std::find_if(seen.begin(), seen.end(), [&](const Seen &s) {
            return s.key == QLatin1String(spot.control);
        });
        if (it == seen.end() || it->role != spot.role || it->name != spot.name ||
            it->description != spot.description)
            wrong.append(QLatin1String(spot.control) + QStringLiteral(": not as expected"));
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
}

// Qt's labels have no text a screen reader could be told has appeared; a message box's prompt has.
void TestAccessibility::messagePromptIsText()
{
    const QString prompt = QStringLiteral("算式错误：除数为零");
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("提示"), prompt);
    QAccessibleInterface *iface = nullptr;
    for (QLabel *label : box.findChildren<QLabel *>()) {
        if (label->text() == prompt)
            iface = QAccessible::queryAccessibleInterface(label);
    }
    QVERIFY(iface && iface->textInterface());
    QCOMPARE(iface->role(), QAccessible::StaticText);
    QCOMPARE(iface->text(QAccessible::Name), prompt);
    QAccessibleTextInterface *text = iface->textInterface();
    QCOMPARE(text->text(0, text->characterCount()), prompt);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
