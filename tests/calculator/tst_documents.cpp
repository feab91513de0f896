#include "calculator/calculatorwindow.h"
#include "help/helpwindow.h"
#include "support/scriptedplatform.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Documents that must not hurt: bad files are refused with a message and change nothing, failed
// saves are reported and leave what is on disk, and nothing is written anywhere else.
class TestDocuments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void badDocuments_data();
    void badDocuments();
    void failedSaves_data();
    void failedSaves();
    void stepFolderCannotBeCreated();

private:
    void open(const QString &path);
    void saveAs(const QString &path);
    void type(const QString &keys);
    QString text() const;
    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    QStringList files() const
    {
        return QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }
    void makeWindow(const QString &stepFolder);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<HelpWindow> m_help;
    std::unique_ptr<CalculatorWindow> m_window;
};

// A document as the calculator writes it, with fields a row can break.
static QByteArray document(const QByteArray &text = " 7+", const QByteArray &counts = "1,0,1,0,0",
                           const QByteArray &names = "\"/s/ 1\"")
{
    QByteArray doc = "\"" + text + "\"," + counts + ",\"\",#TRUE#,1\r\n7\r\n5\r\n";
    for (int i = 0; i < 10; ++i)
        doc += names + "\r\n";
    return doc;
}

void TestDocuments::makeWindow(const QString &stepFolder)
{
    m_help = std::make_unique<HelpWindow>();
    m_window = std::make_unique<CalculatorWindow>(*m_platform, *m_help, stepFolder);
    m_window->load();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestDocuments::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_platform = std::make_unique<ScriptedPlatform>();
    makeWindow(path("steps/"));
    // A saved calculation on the screen, so that Open asks for a file and not to save first.
    type(QStringLiteral("7 +"));
    saveAs(path("kept.txt"));
}

void TestDocuments::cleanup()
{
    QCOMPARE(m_platform->unexpected, QStringList());
    m_window.reset();
}

void TestDocuments::open(const QString &file)
{
    m_platform->openNames.enqueue(file);
    m_window->findChild<QAction *>(QStringLiteral("nmuopen"))->trigger();
}

void TestDocuments::saveAs(const QString &file)
{
    m_platform->saveNames.enqueue(file);
    m_window->findChild<QAction *>(QStringLiteral("nmusaveas"))->trigger();
}

void TestDocuments::type(const QString &keys)
{
    for (const QChar c : keys) {
        if (c != u' ')
            QTest::keyClick(m_window->focusWidget(), c.toLatin1(),
                            c == u'+' ? Qt::ShiftModifier : Qt::NoModifier);
    }
}

QString TestDocuments::text() const
{
    return m_window->findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->toPlainText();
}

void TestDocuments::badDocuments_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("opens");
    const QByteArray good = document();
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("header only") << good.left(good.indexOf('\n') + 1) << false;
    // Cut in the middle of every field.
    qsizetype start = 0;
    for (qsizetype i = 0; i < good.size(); ++i) {
        if (good[i] != ',' && good[i] != '\r')
            continue;
        const qsizetype cut = start + (i - start) / 2;
        QTest::addRow("cut at %lld", qlonglong(cut)) << good.left(cut) << false;
        start = i + (good[i] == '\r' ? 2 : 1);
        i = start - 1;
    }
    QTest::newRow("binary garbage") << QByteArray("\xff\xfe\x00\x81\x30\x9c\xd4\x00", 8) << false;
    QTest::newRow("huge numtop") << document(" 7+", "30000,0,1,0,0") << false;
    QTest::newRow("huge optop") << document(" 7+", "1,0,9999,0,0") << false;
    QTest::newRow("huge numlen") << document(" 7+", "1,0,1,32767,0") << false;
    QTest::newRow("negative count") << document(" 7+", "1,-1,1,0,0") << false;
    QTest::newRow("letters for a count") << document(" 7+", "1,abc,1,0,0") << false;
    QTest::newRow("fraction for a count") << document(" 7+", "1,0,1.5,0,0") << false;
    QTest::newRow("letters for a number")
        << QByteArray(good).replace("\r\n7\r\n", "\r\nseven\r\n") << false;
    const QByteArray huge(10 * 1024 * 1024, 'x');
    QTest::newRow("10 MB text, cut short") << document(huge).left(huge.size() + 1) << false;
    QTest::newRow("10 MB text") << document(huge) << false;
    QTest::newRow("1 MB text in one line") << document(huge.left(1024 * 1024)) << true;
    QTest::newRow("names point elsewhere")
        << document(" 7+", "1,0,1,0,0", "\"" + QFile::encodeName(QDir::tempPath()) + "/../evil\"")
        << true;
}

void TestDocuments::badDocuments()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, opens);
    QFile file(path("doc.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const QStringList before = files();

    open(path("doc.txt"));
    if (opens) {
        QCOMPARE(m_platform->messages, QStringList());
        QCOMPARE(m_window->engine().state().docname, path("doc.txt"));
        type(QStringLiteral("1 +")); // records a step: only into the step folder
    } else {
        QCOMPARE(m_platform->messages.size(), 1);
        QVERIFY2(m_platform->messages[0].startsWith(QStringLiteral("提示: 无法打开文件“") +
                                                    path("doc.txt") + QStringLiteral("”：")),
                 qPrintable(m_platform->messages[0]));
        QCOMPARE(text(), QStringLiteral(" 7+"));
        QCOMPARE(m_window->engine().state().docname, QString()); // Save As names no document
        QCOMPARE(m_window->engine().state().stepcount, 1);
    }
    QCOMPARE(files(), before);
    QVERIFY(!QFile::exists(QDir::tempPath() + QStringLiteral("/../evil")));
}

void TestDocuments::failedSaves_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("folder does not exist") << "missing/doc.txt";
    QTest::newRow("parent is a file") << "plain/doc.txt";
    QTest::newRow("target is a folder") << "folder";
    QTest::newRow("file cannot be replaced") << "locked.txt";
}

void TestDocuments::failedSaves()
{
    QFETCH(QString, target);
    QFile plain(path("plain"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("folder/inner")));
    QFile locked(path("locked.txt"));
    QVERIFY(locked.open(QIODevice::WriteOnly));
    locked.write("kept as it was");
    locked.close();
    if (target == u"locked.txt" &&
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), locked.fileName()}) != 0)
        QSKIP("this file system cannot make a file immutable");

    type(QStringLiteral("2"));
    saveAs(m_dir->filePath(target));
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), locked.fileName()});
    QCOMPARE(m_platform->messages.size(), 1);
    QVERIFY2(m_platform->messages[0].startsWith(QStringLiteral("提示: 无法保存文件“")),
             qPrintable(m_platform->messages[0]));
    QVERIFY(m_window->engine().state().changed);
    QVERIFY(locked.open(QIODevice::ReadOnly));
    QCOMPARE(locked.readAll(), QByteArray("kept as it was"));
    QVERIFY(QDir(path("folder")).exists(QStringLiteral("inner")));
    // The calculation goes on.
    type(QStringLiteral("="));
    QCOMPARE(text(), QStringLiteral(" 7+2= 9\n "));
}

void TestDocuments::stepFolderCannotBeCreated()
{
    QFile plain(path("plain"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    m_window.reset();
    makeWindow(path("plain/steps/"));
    type(QStringLiteral("1 + 2 + 3 ="));
    QCOMPARE(m_platform->messages.size(), 1);
    QVERIFY(m_platform->messages[0].startsWith(QStringLiteral("提示: 无法记录计算步骤")));
    QCOMPARE(text(), QStringLiteral(" 1+2+3= 6\n "));
}

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
