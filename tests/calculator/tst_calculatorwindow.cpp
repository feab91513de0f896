#include "calculator/calculatorwindow.h"
#include "help/helpwindow.h"
#include "support/scriptedplatform.h"

#include <QAction>
#include <QButtonGroup>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestCalculatorWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void buttons();
    void keys_data();
    void keys();
    void editingModeKeepsKeysInTheDisplay();
    void documentRoundTrip();
    void savePrompt_data();
    void savePrompt();
    void closingWithCancelKeepsTheWindow();
    void openRefusesBadFiles();
    void failedSaveIsNoSave();
    void faultIsReported();
    void printsOnePagePerCopy();
    void helpShowsTheText();

private:
    QPlainTextEdit *display() const
    {
        return m_window->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
    }
    QString text() const { return display()->toPlainText(); }
    void click(const char *name, int index = -1);
    void trigger(const char *action);
    void type(const QString &keys);
    QString file(const char *name) const { return m_dir->filePath(QLatin1String(name)); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<HelpWindow> m_help;
    std::unique_ptr<CalculatorWindow> m_window;
};

void TestCalculatorWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_platform = std::make_unique<ScriptedPlatform>();
    m_help = std::make_unique<HelpWindow>();
    m_window = std::make_unique<CalculatorWindow>(*m_platform, *m_help,
                                                  m_dir->filePath(QStringLiteral("steps/")));
    m_window->load();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestCalculatorWindow::cleanup()
{
    QCOMPARE(m_platform->unexpected, QStringList());
    m_window.reset();
    m_help.reset();
}

void TestCalculatorWindow::click(const char *name, int index)
{
    QAbstractButton *button =
        index < 0 ? m_window->findChild<QPushButton *>(QLatin1String(name))
                  : m_window->findChild<QButtonGroup *>(QLatin1String(name))->button(index);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestCalculatorWindow::trigger(const char *action)
{
    m_window->findChild<QAction *>(QLatin1String(action))->trigger();
}

// Keys separated by blanks; prefixes S- C- A- K- add Shift, Ctrl, Alt and the keypad.
void TestCalculatorWindow::type(const QString &keys)
{
    for (QString token : keys.split(u' ', Qt::SkipEmptyParts)) {
        Qt::KeyboardModifiers modifiers;
        while (token.size() > 2 && token[1] == u'-') {
            const char prefix = token[0].toLatin1();
            modifiers |= prefix == 'S'   ? Qt::ShiftModifier
                         : prefix == 'C' ? Qt::ControlModifier
                         : prefix == 'A' ? Qt::AltModifier
                                         : Qt::KeypadModifier;
            token.remove(0, 2);
        }
        const Qt::Key key = QKeySequence(token)[0].key();
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
}

void TestCalculatorWindow::buttons()
{
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("N"));
    click("N", 1);
    click("ji", 5);
    click("lk");
    click("N", 2);
    click("ji", 10);
    click("Cd1");
    click("rk");
    click("mi");
    click("N", 2);
    click("den");
    QCOMPARE(text(), QStringLiteral(" 1+(2*π)^2= 40.4784176043574\n "));
    click("hs", 44);
    click("N", 1);
    click("jc");
    click("Cd3");
    QCOMPARE(text(), QStringLiteral(" 1+(2*π)^2= 40.4784176043574\n atn1!"));
}

void TestCalculatorWindow::keys_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::newRow("shift equals is plus") << "1 S-= 2 ="
                                          << " 1+2= 3\n ";
    QTest::newRow("shifted digits") << "2 S-8 S-9 3 K-+ 4 S-0 ="
                                    << " 2*(3+4)= 14\n ";
    QTest::newRow("US symbols") << "2 S-* S-( 3 - 1 S-) S-^ 2 S-!"
                                << " 2*(3-1)^2!";
    QTest::newRow("keypad") << "K-9 K-/ K-3 K-* K-2 K-- K-1 K-. 5 ="
                            << " 9/3*2-1.5= 4.5\n ";
    QTest::newRow("ctrl digit counts, shift digit does not") << "C-5 S-5"
                                                             << " 5";
    QTest::newRow("letters") << "s c l S-l a p e S-a S-s"
                             << " sincoslgLnatnπe";
    QTest::newRow("main point and slash") << "7 . 5 . / 2 . ="
                                          << " 7.5/2.= 3.75\n ";
    QTest::newRow("up steps back") << "1 S-= 2 S-= 3 Up"
                                   << " 1+2+";
    QTest::newRow("other keys do nothing") << "x Return Enter F1 Down"
                                           << " ";
}

void TestCalculatorWindow::keys()
{
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    type(keys);
    QCOMPARE(text(), shown);
}

void TestCalculatorWindow::editingModeKeepsKeysInTheDisplay()
{
    type(QStringLiteral("1 S-="));
    QTest::mouseClick(display()->viewport(), Qt::LeftButton);
    QVERIFY(!m_window->calculationMode());
    type(QStringLiteral("End 9 x"));
    QCOMPARE(text(), QStringLiteral(" 1+9x"));
    QCOMPARE(m_window->engine().state().numlen, 0);
    // Tab leaves the display for "到计算状态", which turns calculation back on.
    type(QStringLiteral("Tab"));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Cd4"));
    QVERIFY(m_window->calculationMode());
    type(QStringLiteral("2 ="));
    QCOMPARE(text(), QStringLiteral(" 1+9x2= 3\n "));
}

void TestCalculatorWindow::documentRoundTrip()
{
    type(QStringLiteral("1 S-= 2 S-8 S-9 3"));
    m_platform->saveNames.enqueue(file("doc.txt"));
    trigger("nmusave");
    QVERIFY(QFile::exists(file("doc.txt")));
    QVERIFY(!m_window->engine().state().changed);

    trigger("nmunew");
    QCOMPARE(text(), QString());
    trigger("nmuopen"); // the new, empty document counts as changed: Open only clears that
    m_platform->openNames.enqueue(file("doc.txt"));
    trigger("nmuopen");
    QCOMPARE(text(), QStringLiteral(" 1+2*(3"));
    QCOMPARE(m_window->engine().state().docname, file("doc.txt"));
    type(QStringLiteral("S-0 ="));
    QCOMPARE(text(), QStringLiteral(" 1+2*(3)= 7\n "));

    // Save goes straight to the opened document, no dialog.
    trigger("nmusave");
    QFile saved(file("doc.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().startsWith("\" 1+2*(3)= 7\r\n \",0,0,0,0,0,\"\",#TRUE#,"));
}

void TestCalculatorWindow::savePrompt_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveName");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("saved");
    QTest::newRow("cancel keeps everything") << int(Platform::Answer::Cancel) << ""
                                             << " 1+" << false;
    QTest::newRow("no discards") << int(Platform::Answer::No) << ""
                                 << "" << false;
    QTest::newRow("yes saves first") << int(Platform::Answer::Yes) << "a.txt"
                                     << "" << true;
    QTest::newRow("yes, save cancelled") << int(Platform::Answer::Yes) << "-"
                                         << " 1+" << false;
}

void TestCalculatorWindow::savePrompt()
{
    QFETCH(int, answer);
    QFETCH(QString, saveName);
    QFETCH(QString, shown);
    QFETCH(bool, saved);
    type(QStringLiteral("1 S-="));
    m_platform->answers.enqueue(Platform::Answer(answer));
    if (!saveName.isEmpty())
        m_platform->saveNames.enqueue(saveName == u"-" ? QString() : file("a.txt"));
    trigger("nmunew");
    QCOMPARE(m_platform->messages, QStringList{QStringLiteral("提示: 你要保存文件吗？")});
    QCOMPARE(text(), shown);
    QCOMPARE(QFile::exists(file("a.txt")), saved);
    QVERIFY(m_window->engine().state().changed);
}

void TestCalculatorWindow::closingWithCancelKeepsTheWindow()
{
    type(QStringLiteral("4 2"));
    m_platform->answers.enqueue(Platform::Answer::Cancel);
    trigger("nmuexit");
    QVERIFY(m_window->isVisible());
    QCOMPARE(text(), QStringLiteral(" 42"));

    m_platform->answers.enqueue(Platform::Answer::No);
    QVERIFY(m_window->close());
    QVERIFY(!m_window->isLoaded());
    m_window->load();
    QCOMPARE(text(), QStringLiteral(" "));
}

void TestCalculatorWindow::openRefusesBadFiles()
{
    QFile garbage(file("bad.txt"));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("\" 1+\",1,0,1,0,0,\"\",#TRUE#,1\r\n");
    garbage.close();
    type(QStringLiteral("7 S-="));
    m_platform->saveNames.enqueue(file("kept.txt"));
    trigger("nmusaveas");

    m_platform->openNames.enqueue(QString()); // cancelled
    trigger("nmuopen");
    m_platform->openNames.enqueue(file("bad.txt"));
    trigger("nmuopen");
    m_platform->openNames.enqueue(file("missing.txt"));
    trigger("nmuopen");
    QCOMPARE(m_platform->messages.size(), 2);
    QVERIFY(m_platform->messages[0].startsWith(QStringLiteral("提示: 无法打开文件“") +
                                               file("bad.txt")));
    QCOMPARE(text(), QStringLiteral(" 7+"));
    QCOMPARE(m_window->engine().state().docname, QString());
    QVERIFY(!m_window->engine().state().changed);
}

void TestCalculatorWindow::failedSaveIsNoSave()
{
    QFile blocker(file("plain"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    type(QStringLiteral("5"));
    m_platform->answers.enqueue(Platform::Answer::Yes);
    m_platform->saveNames.enqueue(file("plain/doc.txt"));
    trigger("nmunew");
    QCOMPARE(m_platform->messages.size(), 2);
    QVERIFY(m_platform->messages[1].startsWith(QStringLiteral("提示: 无法保存文件“")));
    QCOMPARE(text(), QStringLiteral(" 5"));
    QVERIFY(m_window->engine().state().changed);
}

void TestCalculatorWindow::faultIsReported()
{
    type(QStringLiteral("1 / 0 ="));
    QCOMPARE(m_platform->messages, QStringList{QStringLiteral("提示: 算式错误：除数为零")});
    QCOMPARE(text(), QStringLiteral(" 1/0"));
}

void TestCalculatorWindow::printsOnePagePerCopy()
{
    type(QStringLiteral("1 S-= 2 ="));
    m_platform->pdfPath = file("out.pdf");
    m_platform->printerCopies.enqueue(std::nullopt);
    trigger("nmuprint");
    QVERIFY(!QFile::exists(file("out.pdf")));
    // Every Print command prints.
    for (int run = 0; run < 2; ++run) {
        QFile::remove(file("out.pdf"));
        m_platform->printerCopies.enqueue(3);
        trigger("nmuprint");
        QFile pdf(file("out.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QCOMPARE(pdf.readAll().count("/Type /Page\n"), 3);
    }
}

void TestCalculatorWindow::helpShowsTheText()
{
    trigger("nmuf1");
    QVERIFY(m_help->isVisible());
    const QStringList lines =
        m_help->findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->toPlainText().split(u'\n');
    QCOMPARE(lines.size(), 24);
    QVERIFY(lines[11].startsWith(QStringLiteral("    直接")));
    QVERIFY(!lines.back().isEmpty());
}

QTEST_MAIN(TestCalculatorWindow)
#include "tst_calculatorwindow.moc"
