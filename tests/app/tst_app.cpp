#include "app/yaoshiapp.h"
#include "platform/fonts.h"
#include "support/scriptedplatform.h"

#include <QAction>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

class TestApp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerFontSubstitutes(); }
    void init();
    void cleanup();
    void keyClosesTheSplashAtOnce();
    void captionWalksTheLines_data();
    void captionWalksTheLines();
    void launcherOpensOneWindowEach();
    void quitsWhenTheLastToolCloses();
    void calculatorHelpShowsTheText();
    void fontSubstitutesResolve_data();
    void fontSubstitutesResolve();

private:
    void clickLabel(const char *name)
    {
        QTest::mouseClick(m_app->launcher().findChild<QLabel *>(QLatin1String(name)),
                          Qt::LeftButton);
    }

    QTemporaryDir m_dir;
    ScriptedPlatform m_platform;
    std::unique_ptr<YaoshiApp> m_app;
};

void TestApp::init()
{
    m_app = std::make_unique<YaoshiApp>(m_platform, m_dir.filePath(QStringLiteral("steps/")));
    m_app->start();
}

void TestApp::cleanup()
{
    QCOMPARE(m_platform.unexpected, QStringList());
    m_app.reset();
}

void TestApp::keyClosesTheSplashAtOnce()
{
    SplashWindow *splash = m_app->splash();
    QVERIFY(splash->isVisible());
    QTest::keyClick(splash, Qt::Key_K, Qt::NoModifier);
    QVERIFY(!splash->isVisible());
    QVERIFY(m_app->launcher().isVisible());
    QCOMPARE(splash->caption(), QString());
    QTRY_VERIFY(!m_app->splash()); // gone, with its backing store
}

void TestApp::captionWalksTheLines_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QString>("caption");
    QTest::newRow("first tick") << 1 << "曜石工作室";
    QTest::newRow("last of line 0") << 81 << "曜石工作室";
    QTest::newRow("line 1") << 82 << "曜石项目组 制作";
    QTest::newRow("line 3") << 327 << "版权所有 (C) 2026";
    QTest::newRow("welcome") << 328 << " 欢迎使用";
    QTest::newRow("name") << 410 << "曜     石";
    QTest::newRow("just before the end") << 469 << "曜     石";
}

void TestApp::captionWalksTheLines()
{
    QFETCH(int, ticks);
    QFETCH(QString, caption);
    SplashWindow &splash = *m_app->splash();
    while (splash.ticks() < ticks)
        splash.tick();
    QCOMPARE(splash.caption(), caption);
    QVERIFY(splash.isVisible());
    QVERIFY(!m_app->launcher().isVisible());
    while (splash.ticks() < 470)
        splash.tick();
    QVERIFY(!splash.isVisible());
    QVERIFY(m_app->launcher().isVisible());
}

void TestApp::launcherOpensOneWindowEach()
{
    QTest::keyClick(m_app->splash(), Qt::Key_Return);
    clickLabel("Label1");
    CalculatorWindow &calculator = m_app->calculator();
    QVERIFY(calculator.isVisible());
    calculator.findChild<QPlainTextEdit *>(QStringLiteral("Text1"))
        ->appendPlainText(QStringLiteral("note"));
    // A second click brings the open window forward; it does not load it again.
    clickLabel("Label1");
    QCOMPARE(calculator.findChildren<QPlainTextEdit *>().size(), 1);
    QCOMPARE(calculator.findChild<QPlainTextEdit *>()->toPlainText(), QStringLiteral(" \nnote"));

    clickLabel("Label2");
    QVERIFY(m_app->plotter().isVisible());
    clickLabel("Label3");
    QVERIFY(m_app->help().isVisible());
    clickLabel("Label4"); // the large characters do nothing
}

// The process ends when its last visible window closes, however hidden windows stand.
void TestApp::quitsWhenTheLastToolCloses()
{
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QTimer::singleShot(0, qApp, [this, &lastClosed] {
        QTest::keyClick(m_app->splash(), Qt::Key_Escape);
        clickLabel("Label2");
        m_app->launcher().close();
        QVERIFY(m_app->plotter().isVisible());
        QCOMPARE(lastClosed.count(), 0);
        m_app->plotter().close();
    });
    QTimer::singleShot(5000, qApp, [] { qApp->exit(1); }); // never hang
    QCOMPARE(qApp->exec(), 0);
    QCOMPARE(lastClosed.count(), 1);
}

void TestApp::calculatorHelpShowsTheText()
{
    QTest::keyClick(m_app->splash(), Qt::Key_Return);
    clickLabel("Label1");
    m_app->calculator().findChild<QAction *>(QStringLiteral("nmuf1"))->trigger();
    HelpWindow &help = m_app->help();
    QVERIFY(help.isVisible());
    QVERIFY(!help.windowIcon().isNull());
    const QStringList lines =
        help.findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->toPlainText().split(u'\n');
    QCOMPARE(lines.size(), 24);
    QVERIFY(lines[11].startsWith(QStringLiteral("    直接")));
    QVERIFY(!lines.back().isEmpty());
}

void TestApp::fontSubstitutesResolve_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<QStringList>("substitutes");
    for (const FontSubstitute &s : fontSubstitutes())
        QTest::newRow(qPrintable(s.face)) << s.face << s.substitutes;
}

void TestApp::fontSubstitutesResolve()
{
    QFETCH(QString, face);
    QFETCH(QStringList, substitutes);
    const QString resolved = QFontInfo(QFont(face, 12)).family();
    QVERIFY2(substitutes.contains(resolved), qPrintable(face + QStringLiteral(" -> ") + resolved));
}

QTEST_MAIN(TestApp)
#include "tst_app.moc"
