#include "app/commandline.h"
#include "app/yaoshiapp.h"
#include "support/envguard.h"
#include "support/scriptedplatform.h"
#include "widgets/fonts.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QButtonGroup>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <cstring>
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
    void launcherWordsArePushButtons_data();
    void launcherWordsArePushButtons();
    void helpTextComesBackOnReopening();
    void quitsWhenTheLastToolCloses();
    void calculatorHelpShowsTheText();
    void fontSubstitutesResolve_data();
    void fontSubstitutesResolve();
    void commandLine_data();
    void commandLine();
    void startsAsAsked_data();
    void startsAsAsked();
    void stepFolderFollowsTheCache_data();
    void stepFolderFollowsTheCache();
    void signalsKeepTheWork_data();
    void signalsKeepTheWork();

private:
    void clickLabel(const char *name)
    {
        QTest::mouseClick(m_app->launcher().findChild<QWidget *>(QLatin1String(name)),
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
    QTest::newRow("line 1") << 82 << "曜石项目组";
    QTest::newRow("line 2") << 164 << "中国 上海";
    QTest::newRow("line 3") << 327 << "© 2026 曜石";
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
    // Every line fits the label, measured in the label's (substituted) font.
    const QLabel *label = splash.findChild<QLabel *>(QStringLiteral("Label1"));
    QVERIFY2(QFontMetrics(label->font()).horizontalAdvance(caption) <=
                 label->contentsRect().width(),
             qPrintable(QFontInfo(label->font()).family()));
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

    // The keys the words' descriptions name open the other two.
    for (auto [key, window] : {std::pair<Qt::Key, QWidget *>{Qt::Key_P, &m_app->plotter()},
                               {Qt::Key_H, &m_app->help()}}) {
        m_app->launcher().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_app->launcher()));
        QTest::keyClick(&m_app->launcher(), key);
        QTRY_VERIFY(window->isVisible());
    }
}

// Each word opens its window when pressed and released over it; let go elsewhere, it does
// nothing. A screen reader sees a button named with the caption. The large characters are
// not buttons and open nothing.
void TestApp::launcherWordsArePushButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("opens"); // 0 calculator, 1 plotter, 2 help, -1 nothing
    QTest::newRow("calculator") << "Label1"
                                << "计算器" << 0;
    QTest::newRow("plotter") << "Label2"
                             << "解方程" << 1;
    QTest::newRow("help") << "Label3"
                          << "帮助" << 2;
    QTest::newRow("large 曜") << "Label4"
                              << "曜" << -1;
    QTest::newRow("large 石") << "Label5"
                              << "石" << -1;
}

void TestApp::launcherWordsArePushButtons()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(int, opens);
    QTest::keyClick(m_app->splash(), Qt::Key_Return);
    QWidget *word = m_app->launcher().findChild<QWidget *>(name);
    const auto opened = [this] {
        return QList<bool>{m_app->calculator().isVisible(), m_app->plotter().isVisible(),
                           m_app->help().isVisible()};
    };
    const QList<bool> none{false, false, false};
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(word);
    QCOMPARE(accessible->role(), opens < 0 ? QAccessible::StaticText : QAccessible::Button);
    QCOMPARE(accessible->text(QAccessible::Name), caption);
    QCOMPARE(word->focusPolicy(), Qt::NoFocus);

    const QPoint inside = word->rect().center();
    QTest::mousePress(word, Qt::LeftButton, {}, inside);
    QTest::mouseMove(word, inside + QPoint(word->width(), 0));
    QTest::mouseRelease(word, Qt::LeftButton, {}, inside + QPoint(word->width(), 0));
    QCOMPARE(opened(), none);
    QTest::mouseClick(word, Qt::LeftButton, {}, inside);
    QList<bool> expected = none;
    if (opens >= 0)
        expected[opens] = true;
    QCOMPARE(opened(), expected);
}

void TestApp::helpTextComesBackOnReopening()
{
    QTest::keyClick(m_app->splash(), Qt::Key_Return);
    clickLabel("Label3");
    auto *text = m_app->help().findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
    const QString original = text->toPlainText();
    QVERIFY(original.size() > 100);
    text->selectAll();
    QTest::keyClicks(text, QStringLiteral("typed over"));
    QCOMPARE(text->toPlainText(), QStringLiteral("typed over"));
    // Escape closes it.
    QTest::keyClick(text, Qt::Key_Escape);
    QVERIFY(!m_app->help().isVisible());
    clickLabel("Label3");
    text = m_app->help().findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
    QCOMPARE(text->toPlainText(), original);
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
    const QFontInfo resolved(QFont(face, 12));
    QVERIFY2(substitutes.contains(resolved.family()),
             qPrintable(face + QStringLiteral(" -> ") + resolved.family()));
    // In the regular weight the layouts ask for, not a light face that looks disabled.
    QCOMPARE(QFontDatabase::weight(resolved.family(), resolved.styleName()), int(QFont::Normal));
}

void TestApp::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status"); // -1: the program starts
    QTest::addColumn<QString>("printed");
    QTest::addColumn<QString>("request"); // C calculator, P plotter, then the document
    const QString usage = CommandLine().usage();
    QTest::newRow("nothing") << QStringList() << -1 << ""
                             << "";
    QTest::newRow("help") << QStringList{"--help"} << 0 << usage << "";
    QTest::newRow("short help") << QStringList{"-h"} << 0 << usage << "";
    QTest::newRow("help wins over a mistake")
        << QStringList{"--bogus", "--help"} << 0 << usage << "";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "yaoshi 1.0\n"
                             << "";
    QTest::newRow("calculator") << QStringList{"--calculator"} << -1 << ""
                                << "C";
    QTest::newRow("plotter and a file") << QStringList{"a.txt", "--plotter"} << -1 << ""
                                        << "Pa.txt";
    QTest::newRow("file after --") << QStringList{"--", "--plotter"} << -1 << ""
                                   << "--plotter";
    QTest::newRow("unknown option") << QStringList{"--calculator", "--bogus"} << 2
                                    << "yaoshi：未知选项“--bogus”\n\n" + usage << "";
    QTest::newRow("unknown short option")
        << QStringList{"-x"} << 2 << "yaoshi：未知选项“-x”\n\n" + usage << "";
    QTest::newRow("two files") << QStringList{"a.txt", "b.txt"} << 2
                               << "yaoshi：一次只能打开一个文件\n\n" + usage << "";
}

void TestApp::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, printed);
    QFETCH(QString, request);
    arguments.prepend(QStringLiteral("yaoshi"));
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    CommandLine line;
    std::optional<int> answered = line.answerQuery(arguments, outStream);
    std::optional<StartRequest> start;
    if (!answered) {
        start = line.read(arguments, errStream);
        if (!start)
            answered = kUsageError;
    }
    outStream.flush();
    errStream.flush();
    QCOMPARE(answered.value_or(-1), status);
    QCOMPARE(status == 2 ? err : out, printed);
    QCOMPARE(status == 2 ? out : err, QString());
    if (start) {
        const QString shown = QLatin1String(start->calculator ? "C" : "") +
                              QLatin1String(start->plotter ? "P" : "") + start->document;
        QCOMPARE(shown, request);
    }
}

void TestApp::startsAsAsked_data()
{
    QTest::addColumn<bool>("calculator");
    QTest::addColumn<bool>("plotter");
    QTest::addColumn<QString>("document"); // a name in the test folder
    QTest::addColumn<QString>("shown");    // the calculator's display, if it is open
    QTest::addColumn<QString>("message");
    QTest::newRow("calculator") << true << false << ""
                                << " "
                                << "";
    QTest::newRow("plotter") << false << true << ""
                             << ""
                             << "";
    QTest::newRow("both") << true << true << ""
                          << " "
                          << "";
    QTest::newRow("document") << false << false << "doc.txt"
                              << " 7+"
                              << "";
    QTest::newRow("document and plotter") << false << true << "doc.txt"
                                          << " 7+"
                                          << "";
    QTest::newRow("bad document") << false << false << "bad.txt"
                                  << " "
                                  << "提示: 无法打开文件“%1”：";
    QTest::newRow("missing document") << true << false << "none.txt"
                                      << " "
                                      << "提示: 无法打开文件“%1”：";
    QTest::newRow("folder") << false << false << "."
                            << " "
                            << "提示: 无法打开文件“%1”：";
}

// A tool asked for on the command line comes up over the launcher at once, without the splash;
// a document opens as Open opens it.
void TestApp::startsAsAsked()
{
    QFETCH(bool, calculator);
    QFETCH(bool, plotter);
    QFETCH(QString, document);
    QFETCH(QString, shown);
    QFETCH(QString, message);
    // The document is what the calculator saves, however its records are written.
    m_app.reset();
    {
        YaoshiApp writer(m_platform, m_dir.filePath(QStringLiteral("steps/")));
        writer.calculator().load();
        for (const auto &[group, index] : {std::pair("N", 7), std::pair("ji", 5)}) {
            QTest::mouseClick(
                writer.calculator().findChild<QButtonGroup *>(QLatin1String(group))->button(index),
                Qt::LeftButton);
        }
        m_platform.saveNames.enqueue(m_dir.filePath(QStringLiteral("doc.txt")));
        writer.calculator().findChild<QAction *>(QStringLiteral("nmusaveas"))->trigger();
    }
    QFile bad(m_dir.filePath(QStringLiteral("bad.txt")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a document\r\n");
    bad.close();
    m_platform.messages.clear();

    const QString path = document.isEmpty() ? QString() : m_dir.filePath(document);
    m_app = std::make_unique<YaoshiApp>(m_platform, m_dir.filePath(QStringLiteral("steps/")));
    m_app->start({calculator, plotter, path});
    QVERIFY(!m_app->splash());
    QVERIFY(m_app->launcher().isVisible());
    QCOMPARE(m_app->plotter().isVisible(), plotter);
    QCOMPARE(m_app->calculator().isVisible(), !shown.isEmpty());
    if (!shown.isEmpty()) {
        QCOMPARE(m_app->calculator().findChild<QPlainTextEdit *>()->toPlainText(), shown);
        QCOMPARE(m_app->calculator().engine().state().docname, message.isEmpty() ? path : "");
    }
    if (message.isEmpty()) {
        QCOMPARE(m_platform.messages, QStringList());
    } else {
        QCOMPARE(m_platform.messages.size(), 1);
        QVERIFY2(m_platform.messages[0].startsWith(message.arg(path)),
                 qPrintable(m_platform.messages[0]));
    }
    m_platform.messages.clear();
}

void TestApp::stepFolderFollowsTheCache_data()
{
    QTest::addColumn<QString>("cache"); // null: not set
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("folder");
    QTest::newRow("cache set") << "/c"
                               << "/h"
                               << "/c/yaoshi/steps";
    QTest::newRow("home only") << QString() << "/h"
                               << "/h/.cache/yaoshi/steps";
    QTest::newRow("empty cache") << ""
                                 << "/h"
                                 << "/h/.cache/yaoshi/steps";
    QTest::newRow("relative cache") << "c"
                                    << "/h"
                                    << "/h/.cache/yaoshi/steps";
    // Never a cache folder at the root.
    QTest::newRow("neither set") << QString() << QString() << "";
    QTest::newRow("both empty") << ""
                                << ""
                                << "";
    QTest::newRow("relative cache, no home") << "c" << QString() << "";
}

void TestApp::stepFolderFollowsTheCache()
{
    QFETCH(QString, cache);
    QFETCH(QString, home);
    QFETCH(QString, folder);
    const EnvGuard cacheGuard("XDG_CACHE_HOME", QFile::encodeName(cache));
    const EnvGuard homeGuard("HOME", QFile::encodeName(home));
    QCOMPARE(YaoshiApp::defaultStepFolder(), folder);
}

void TestApp::signalsKeepTheWork_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("answer"); // to the offer at the next start
    QTest::newRow("SIGTERM, then yes") << int(SIGTERM) << int(Platform::Answer::Yes);
    QTest::newRow("SIGHUP, then no") << int(SIGHUP) << int(Platform::Answer::No);
    QTest::newRow("SIGINT, then cancel") << int(SIGINT) << int(Platform::Answer::Cancel);
}

// The program, signalled right after a note typed into its display, ends normally with the note
// and the calculation in its recovery record; the next start offers it, and each answer does
// what it says.
void TestApp::signalsKeepTheWork()
{
    QFETCH(int, signal);
    QFETCH(int, answer);
    QTemporaryDir dir;
    const QString steps = dir.filePath(QStringLiteral("steps"));
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--program"), steps});
    QVERIFY(program.waitForReadyRead(20000));
    QCOMPARE(program.readLine(), QByteArray("ready\n"));
    QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QFile record(steps + QStringLiteral("/1/recovery"));
    QVERIFY(record.open(QIODevice::ReadOnly));
    QCOMPARE(record.readLine(), QByteArray("\" 1+2 note\",1,0,1,1,0,\" 2\",#TRUE#,1\r\n"));
    record.close();

    ScriptedPlatform platform;
    platform.answers.enqueue(Platform::Answer(answer));
    YaoshiApp app(platform, steps);
    app.start();
    QCOMPARE(platform.messages, QStringList{"提示: 上次的计算没有保存，要恢复吗？"});
    QCOMPARE(record.exists(), answer == int(Platform::Answer::Cancel));
    const bool taken = answer == int(Platform::Answer::Yes);
    QCOMPARE(app.calculator().isLoaded(), taken);
    if (taken) {
        QCOMPARE(app.calculator().findChild<QPlainTextEdit *>("Text1")->toPlainText(), " 1+2 note");
        QVERIFY(app.calculator().engine().state().changed);
        QVERIFY(app.calculator().engine().state().docname.isEmpty());
        QVERIFY(QFile::exists(steps + QStringLiteral("/2/recovery")));
        QVERIFY(!app.splash());
    }
    QCOMPARE(platform.unexpected, QStringList());
}

// The program with its calculator open: types a calculation and a note, then runs until it is
// told to end.
static int runProgram(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QtPlatform platform;
    YaoshiApp yaoshi(platform, QString::fromLocal8Bit(argv[2]));
    StartRequest request;
    request.calculator = true;
    yaoshi.start(request);
    auto *display = yaoshi.calculator().findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
    // Keys reach the calculator through any of its controls.
    QTest::keyClicks(yaoshi.calculator().findChild<QWidget *>(QStringLiteral("N")),
                     QStringLiteral("1+2"));
    QTest::mouseClick(display->viewport(), Qt::LeftButton);
    display->moveCursor(QTextCursor::End);
    QTest::keyClicks(display, QStringLiteral(" note"));
    QTextStream(stdout) << "ready" << Qt::endl;
    return app.exec();
}

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--program") == 0)
        return runProgram(argc, argv);
    QApplication app(argc, argv);
    TestApp test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_app.moc"
