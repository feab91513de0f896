#include "app/yaoshiapp.h"
#include "support/scriptedplatform.h"
#include "widgets/accessibility.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QButtonGroup>
#include <QLabel>
#include <QMessageBox>
#include <QMetaEnum>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Every window as a screen reader sees it through Qt's accessibility: each control that can be
// pressed, typed into or focused must be in the table below, with the role that says what it
// does and a name that says it in Chinese.
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

struct Expected {
    const char *window;
    const char *control; // object name, "#index" within a button group; empty for the window
    QAccessible::Role role;
    const char16_t *name;
    const char16_t *description; // null: not checked
};

constexpr Expected kExpected[] = {
    {"frmSplash", "", QAccessible::Window, u"曜石 启动画面", nullptr},
    {"frmSplash", "Label1", QAccessible::StaticText, u"", nullptr},

    {"Form2", "", QAccessible::Window, u"曜石2.00", nullptr},
    {"Form2", "Label1", QAccessible::Button, u"计算器", u"快捷键 C"},
    {"Form2", "Label2", QAccessible::Button, u"解方程", u"快捷键 P"},
    {"Form2", "Label3", QAccessible::Button, u"帮助", u"快捷键 H"},

    {"Frm1", "", QAccessible::Window, u"曜石.1.0", nullptr},
    {"Frm1", "Text1", QAccessible::EditableText, u"计算显示",
     u"计算状态：算式与结果；按 F2 键或单击后可输入文字"},
    {"Frm1", "N#0", QAccessible::Button, u"0", u""},
    {"Frm1", "N#1", QAccessible::Button, u"1", u""},
    {"Frm1", "N#2", QAccessible::Button, u"2", u""},
    {"Frm1", "N#3", QAccessible::Button, u"3", u""},
    {"Frm1", "N#4", QAccessible::Button, u"4", u""},
    {"Frm1", "N#5", QAccessible::Button, u"5", u""},
    {"Frm1", "N#6", QAccessible::Button, u"6", u""},
    {"Frm1", "N#7", QAccessible::Button, u"7", u""},
    {"Frm1", "N#8", QAccessible::Button, u"8", u""},
    {"Frm1", "N#9", QAccessible::Button, u"9", u""},
    {"Frm1", "dian", QAccessible::Button, u"小数点", u""},
    {"Frm1", "ji#5", QAccessible::Button, u"加", u""},
    {"Frm1", "ji#6", QAccessible::Button, u"减", u""},
    {"Frm1", "ji#10", QAccessible::Button, u"乘", u""},
    {"Frm1", "ji#11", QAccessible::Button, u"除", u""},
    {"Frm1", "den", QAccessible::Button, u"等于", u""},
    {"Frm1", "hs#40", QAccessible::Button, u"正弦", u"键盘输入s"},
    {"Frm1", "hs#41", QAccessible::Button, u"余弦", u"键盘输入c"},
    {"Frm1", "hs#42", QAccessible::Button, u"常用对数", u"键盘输入l"},
    {"Frm1", "hs#43", QAccessible::Button, u"自然对数", u"键盘输入L"},
    {"Frm1", "hs#44", QAccessible::Button, u"反正切", u"反正切函数,键盘输入a"},
    {"Frm1", "lk", QAccessible::Button, u"左括号", u""},
    {"Frm1", "rk", QAccessible::Button, u"右括号", u""},
    {"Frm1", "mi", QAccessible::Button, u"乘方", u""},
    {"Frm1", "jc", QAccessible::Button, u"阶乘", u""},
    {"Frm1", "Cd1", QAccessible::Button, u"圆周率", u""},
    {"Frm1", "Cd2", QAccessible::Button, u"自然常数", u""},
    {"Frm1", "Cd3", QAccessible::Button, u"上一步", u"可以上推20步,快捷键为上箭头,先按TAB键"},
    {"Frm1", "Cd4", QAccessible::Button, u"到计算状态", u"当输入文本结实后须按此按钮,快捷键为Tab"},
    {"Frm1", "nmufile", QAccessible::MenuItem, u"文件f", nullptr},
    {"Frm1", "nmunew", QAccessible::MenuItem, u"新建n", nullptr},
    {"Frm1", "nmuopen", QAccessible::MenuItem, u"打开o", nullptr},
    {"Frm1", "nmusave", QAccessible::MenuItem, u"保存s", nullptr},
    {"Frm1", "nmusaveas", QAccessible::MenuItem, u"另存为a", nullptr},
    {"Frm1", "nmuprint", QAccessible::MenuItem, u"打印p", nullptr},
    {"Frm1", "nmuexit", QAccessible::MenuItem, u"退出e", nullptr},
    {"Frm1", "nmuf1", QAccessible::MenuItem, u"帮助h", nullptr},
    {"Frm1", "nmuabout", QAccessible::MenuItem, u"关于b", nullptr},

    {"Form1", "", QAccessible::Window, u"曜石----解方程", nullptr},
    {"Form1", "Text1", QAccessible::EditableText, u"方程一",
     u"请自行算试正确检查,注意空格使用,详看帮助"},
    {"Form1", "Text2", QAccessible::EditableText, u"方程二", u""},
    {"Form1", "Text3", QAccessible::EditableText, u"参数方程一", u"参数方程的横坐标"},
    {"Form1", "Text4", QAccessible::EditableText, u"参数方程二", u"参数方程的纵坐标"},
    {"Form1", "Cdyx", QAccessible::Button, u"开始运行", u""},
    {"Form1", "Cdqc", QAccessible::Button, u"清除方程", u""},
    {"Form1", "Command1", QAccessible::Button, u"保存图片", u""},
    {"Form1", "Command2", QAccessible::Button, u"返回", u""},
    {"Form1", "Picture1", QAccessible::Graphic, u"函数图像", u"左键放大,右键缩小"},
    {"Form1", "Lbzjx", QAccessible::StaticText, u"", u"左上角横坐标"},
    {"Form1", "Lbzjy", QAccessible::StaticText, u"", u"左上角纵坐标"},
    {"Form1", "lbyjx", QAccessible::StaticText, u"", u"右下角横坐标"},
    {"Form1", "lbyjy", QAccessible::StaticText, u"", u"右下角纵坐标"},
    {"Form1", "Lbxs", QAccessible::StaticText, u"1", u"放大系数"},
    {"Form1", "lbx", QAccessible::StaticText, u"", u"指针处的横坐标"},
    {"Form1", "Lby", QAccessible::StaticText, u"", u"指针处的纵坐标"},

    {"Dialog", "", QAccessible::Dialog, u"帮助使用", nullptr},
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

QString line(const QString &key, QAccessible::Role role, const QString &name,
             const QString &description)
{
    return QStringLiteral("%1 %2 “%3” “%4”")
        .arg(key, QLatin1String(QMetaEnum::fromType<QAccessible::Role>().valueToKey(role)), name,
             description);
}

void walk(QAccessibleInterface *iface, QWidget *window, const QStringList &listed,
          QStringList &seen)
{
    const QString key = keyOf(iface->object(), window);
    const bool isWindow = iface->object() == window;
    if (isInteractive(iface) || isWindow || (!key.isEmpty() && listed.contains(key)))
        seen.append(line(key, iface->role(), iface->text(QAccessible::Name),
                         iface->text(QAccessible::Description)));
    for (int i = 0; i < iface->childCount(); ++i)
        walk(iface->child(i), window, listed, seen);
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

    QStringList listed, expected;
    for (const Expected &e : kExpected) {
        if (window != QLatin1String(e.window))
            continue;
        listed.append(QLatin1String(e.control));
        expected.append(line(QLatin1String(e.control), e.role, QString::fromUtf16(e.name),
                             e.description ? QString::fromUtf16(e.description) : QString()));
    }
    QStringList seen;
    walk(QAccessible::queryAccessibleInterface(shown), shown, listed, seen);
    // Descriptions the table leaves open are not compared.
    for (const Expected &e : kExpected) {
        if (window != QLatin1String(e.window) || e.description)
            continue;
        const QString prefix = QLatin1String(e.control) + u' ';
        for (QString &s : seen) {
            if (s.startsWith(prefix))
                s = s.left(s.lastIndexOf(u'“')) + QStringLiteral("“”");
        }
    }
    QStringList wrong;
    for (const QString &s : seen) {
        if (!expected.contains(s))
            wrong.append(QStringLiteral("seen:     ") + s);
    }
    for (const QString &e : expected) {
        if (!seen.contains(e))
            wrong.append(QStringLiteral("expected: ") + e);
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
