#include "calculator/engine/staterecord.h"
#include "windowfixture.h"

#include <QDir>
#include <QProcess>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

// The document commands through the real window: what Save writes opens again, bad files are
// refused with a message and change nothing, failed saves are reported and leave what is on
// disk, and the save prompt comes only when the user changed something.
class TestDocuments : public QObject, WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { finishWindow(); }
    void documentRoundTrip();
    void savePrompt_data();
    void savePrompt();
    void promptOnlyAfterChanges_data();
    void promptOnlyAfterChanges();
    void closingWithCancelKeepsTheWindow();
    void badDocuments_data();
    void badDocuments();
    void olderDocumentStartsAfresh();
    void sizeLimit_data();
    void sizeLimit();
    void keysWhileALongDocumentLoads_data();
    void keysWhileALongDocumentLoads();
    void failedSaves_data();
    void failedSaves();
    void historyProblems_data();
    void historyProblems();

private:
    QStringList files() const
    {
        return QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }
    void write(const char *name, const QByteArray &bytes)
    {
        QFile f(file(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }
};

const QString kPrompt = QStringLiteral("提示: 你要保存文件吗？");

void TestDocuments::init()
{
    startWindow();
    // A saved calculation on the screen, so that Open asks for a file and not to save first.
    type(QStringLiteral("7 +"));
    saveAs(file("kept.txt"));
    QVERIFY(!state().changed);
}

void TestDocuments::documentRoundTrip()
{
    type(QStringLiteral("1 + 2 * ( 3"));
    m_platform->answers.enqueue(Platform::Answer::Yes);
    m_platform->saveNames.enqueue(file("doc.txt"));
    trigger("nmunew");
    QVERIFY(QFile::exists(file("doc.txt")));
    QCOMPARE(text(), QString());
    QVERIFY(!state().changed);

    open(file("doc.txt"));
    QCOMPARE(text(), QStringLiteral(" 7+1+2*(3"));
    QCOMPARE(state().docname, file("doc.txt"));
    QVERIFY(!state().changed);
    // An edit by the user counts, even one that is taken back.
    type(QStringLiteral("Click End x Backspace Tab"));
    QVERIFY(state().changed);
    type(QStringLiteral(") ="));
    QCOMPARE(text(), QStringLiteral(" 7+1+2*(3)= 14\n "));

    // Save goes straight to the opened document, no dialog. Its access key, Alt+S, only saves.
    type(QStringLiteral("A-s"));
    QCOMPARE(text(), QStringLiteral(" 7+1+2*(3)= 14\n "));
    QFile saved(file("doc.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().startsWith("\" 7+1+2*(3)= 14\r\n \",0,0,0,0,0,\"\",#TRUE#,"));

    // Opening a path directly loads a closed window first.
    QVERIFY(m_window->close());
    QVERIFY(!m_window->isLoaded());
    QVERIFY(m_window->openPath(file("kept.txt")));
    QVERIFY(m_window->isVisible());
    QCOMPARE(text(), QStringLiteral(" 7+"));
    QCOMPARE(state().docname, file("kept.txt"));
    QVERIFY(!m_window->openPath(file("missing.txt")));
    QCOMPARE(text(), QStringLiteral(" 7+"));
    QCOMPARE(m_platform->messages.size(), 2);
}

void TestDocuments::savePrompt_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("saveName");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("saved");
    QTest::newRow("cancel keeps everything") << int(Platform::Answer::Cancel) << ""
                                             << " 7+1" << false;
    QTest::newRow("no discards") << int(Platform::Answer::No) << ""
                                 << "" << false;
    QTest::newRow("yes saves first") << int(Platform::Answer::Yes) << "a.txt"
                                     << "" << true;
    QTest::newRow("yes, save cancelled") << int(Platform::Answer::Yes) << "-"
                                         << " 7+1" << false;
}

void TestDocuments::savePrompt()
{
    QFETCH(int, answer);
    QFETCH(QString, saveName);
    QFETCH(QString, shown);
    QFETCH(bool, saved);
    type(QStringLiteral("1"));
    // As the window's timer does a moment after the key.
    m_window->keepWork();
    const QString recovery = file("steps/1/recovery");
    m_platform->answers.enqueue(Platform::Answer(answer));
    if (!saveName.isEmpty())
        m_platform->saveNames.enqueue(saveName == u"-" ? QString() : file("a.txt"));
    trigger("nmunew");
    QCOMPARE(m_platform->messages, QStringList{kPrompt});
    QCOMPARE(text(), shown);
    QCOMPARE(QFile::exists(file("a.txt")), saved);
    // Kept text is still unsaved and kept for recovery; an emptied display holds nothing.
    QCOMPARE(state().changed, !shown.isEmpty());
    m_window->engine().finishHistory();
    QCOMPARE(QFile::exists(recovery), !shown.isEmpty());
}

void TestDocuments::promptOnlyAfterChanges_data()
{
    // Steps separated by ";": "type KEYS", "new", "close", "load", "open" (of kept.txt).
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("prompts");
    QTest::newRow("reopened, then closed") << "type 1;close;load;close" << 1;
    QTest::newRow("reopened, then opened") << "type 1;close;load;open" << 1;
    QTest::newRow("new, then closed") << "type 1;new;close" << 1;
    QTest::newRow("new, then opened") << "new;open" << 0;
    QTest::newRow("typed after reopening") << "close;load;type 2;close" << 1;
    QTest::newRow("edited after new") << "new;Click;type x;close" << 1;
}

void TestDocuments::promptOnlyAfterChanges()
{
    QFETCH(QString, steps);
    QFETCH(int, prompts);
    for (int i = 0; i < prompts; ++i)
        m_platform->answers.enqueue(Platform::Answer::No);
    for (const QString &step : steps.split(u';')) {
        if (step.startsWith(u"type "))
            type(step.mid(5));
        else if (step == u"Click")
            type(step);
        else if (step == u"new")
            trigger("nmunew");
        else if (step == u"close") {
            QVERIFY(m_window->close());
        } else if (step == u"load") {
            m_window->load();
            QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        } else if (step == u"open")
            open(file("kept.txt"));
    }
    QCOMPARE(m_platform->messages, QStringList(prompts, kPrompt));
    if (steps.endsWith(u"open"))
        QCOMPARE(text(), QStringLiteral(" 7+"));
}

void TestDocuments::closingWithCancelKeepsTheWindow()
{
    type(QStringLiteral("4 2"));
    m_platform->answers.enqueue(Platform::Answer::Cancel);
    trigger("nmuexit");
    QVERIFY(m_window->isVisible());
    QCOMPARE(text(), QStringLiteral(" 7+42"));

    m_platform->answers.enqueue(Platform::Answer::No);
    QVERIFY(m_window->close());
    QVERIFY(!m_window->isLoaded());
    m_window->load();
    QCOMPARE(text(), QStringLiteral(" "));
}

// The window's side of refusing a file; what makes a record damaged is for the record's tests.
void TestDocuments::badDocuments_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // empty: the file opens
    const QString notRegular = QStringLiteral("这不是普通文件，而是文件夹、管道或设备");
    QTest::newRow("damaged record") << "file:\" 1+\",1,0,1,0,0,\"\",#TRUE#,1\r\n"
                                    << "栈的行数与第一行的计数不符";
    QTest::newRow("missing") << "missing"
                             << "文件不存在";
    QTest::newRow("folder") << "folder" << notRegular;
    QTest::newRow("fifo") << "fifo" << notRegular;
    QTest::newRow("endless device") << "/dev/zero" << notRegular;
    QTest::newRow("over the limit") << "big"
                                    << "文档超过 8 MB";
    QTest::newRow("unreadable") << "unreadable"
                                << "文件无法读取（Permission denied）";
    QTest::newRow("names point elsewhere")
        << "file:\" 7+\",1,0,1,0,0,\"\",#TRUE#,1\r\n7\r\n5\r\n" +
               QString(QStringLiteral("\"%1/../evil\"\r\n").arg(QDir::tempPath())).repeated(10)
        << "";
}

void TestDocuments::badDocuments()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QString path = file("doc.txt");
    if (kind.startsWith(u"file:")) {
        write("doc.txt", kind.mid(5).toUtf8());
    } else if (kind == u"folder") {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("doc.txt")));
    } else if (kind == u"fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == u"big") {
        write("doc.txt", QByteArray(staterecord::kMaxBytes + 1, '"'));
    } else if (kind == u"unreadable") {
        if (::geteuid() == 0)
            QSKIP("the superuser reads any file");
        write("doc.txt", "x");
        QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
    } else if (kind.startsWith(u'/')) {
        path = kind;
    }
    const QStringList before = files();

    open(path);
    if (reason.isEmpty()) {
        QCOMPARE(m_platform->messages, QStringList());
        QCOMPARE(state().docname, path);
        type(QStringLiteral("1 +")); // records a step: only into the step folder
    } else {
        QCOMPARE(m_platform->messages,
                 QStringList(QStringLiteral("提示: 无法打开文件“%1”：%2").arg(path, reason)));
        QCOMPARE(text(), QStringLiteral(" 7+"));
        QCOMPARE(state().docname, QString()); // Save As names no document
        QCOMPARE(state().stepcount, 1);
        QVERIFY(!state().changed);
    }
    QCOMPARE(files(), before);
    QVERIFY(!QFile::exists(QDir::tempPath() + QStringLiteral("/../evil")));
}

// An older document whose stacks lost entries opens its text, and the calculation starts afresh.
void TestDocuments::olderDocumentStartsAfresh()
{
    write("older.txt", "\" 1+2*3^\",3,0,2,0,0,\"\",#FALSE#,2\r\n1\r\n3\r\n5\r\n" +
                           QByteArray("\"c:\\windows\\temp\\ 2\"\r\n").repeated(10));
    open(file("older.txt"));
    QCOMPARE(m_platform->messages,
             QStringList{QStringLiteral("提示: 这个文件由旧版本保存，其中未完成的计算无法恢复：文字"
                                        "已打开，计算重新开始。")});
    QCOMPARE(state().docname, file("older.txt"));
    type(QStringLiteral("2 ="));
    QCOMPARE(text(), QStringLiteral(" 1+2*3^2= 2\n "));
}

// A document is saved only when it can be opened again.
void TestDocuments::sizeLimit_data()
{
    QTest::addColumn<int>("over");
    QTest::newRow("at the limit") << 0;
    QTest::newRow("one byte over") << 1;
}

void TestDocuments::sizeLimit()
{
    QFETCH(int, over);
    // The record of " 7+" is kept.txt; every further character of plain text adds one byte, and
    // every line break two.
    const qint64 need = staterecord::kMaxBytes + over - QFileInfo(file("kept.txt")).size();
    constexpr int kLine = 999;
    QString padding(qsizetype(need % (kLine + 2)), u'x');
    padding += (u'\n' + QString(kLine, u'x')).repeated(qsizetype(need / (kLine + 2)));
    display()->moveCursor(QTextCursor::End);
    display()->insertPlainText(padding);
    const QString shown = text();
    QVERIFY(state().changed);

    saveAs(file("big.txt"));
    QCOMPARE(text(), shown);
    if (over > 0) {
        QCOMPARE(m_platform->messages,
                 QStringList(QStringLiteral("提示: 无法保存文件“%1”：文档超过 8 MB，保存后将无法再"
                                            "打开。请删去一些文字再保存")
                                 .arg(file("big.txt"))));
        QVERIFY(!QFile::exists(file("big.txt")));
        QVERIFY(state().changed);
        return;
    }
    QCOMPARE(m_platform->messages, QStringList());
    QCOMPARE(QFileInfo(file("big.txt")).size(), staterecord::kMaxBytes);
    trigger("nmunew");
    open(file("big.txt"));
    QCOMPARE(m_platform->messages, QStringList());
    // A long text fills in before its end from the event loop.
    QTRY_COMPARE_WITH_TIMEOUT(text(), shown, 120000);
}

// A long document fills the display in from its end after Open; keys pressed meanwhile act on
// the whole text, and what is saved is what is shown.
void TestDocuments::keysWhileALongDocumentLoads_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("added"); // at the end of the document, or "-" for an empty display
    QTest::newRow("appends") << "1 + 2 +"
                             << "1+2+";
    QTest::newRow("up cuts the end") << "1 + 2 + 3 Up"
                                     << "1+2+";
    QTest::newRow("typed into the display") << "Click C-End x Tab 5"
                                            << "x5";
    QTest::newRow("new stops the loading") << "New"
                                           << "-";
}

void TestDocuments::keysWhileALongDocumentLoads()
{
    QFETCH(QString, keys);
    QFETCH(QString, added);
    CalcState s;
    for (int i = 1; s.snaptext.size() < 400 * 1024; ++i)
        s.snaptext += QStringLiteral(" %1*%2= %3\r\n").arg(i).arg(i % 7).arg(i * (i % 7));
    s.snaptext += u' ';
    s.stepcount = 1;
    write("long.txt", staterecord::write(s, 1));
    open(file("long.txt"));
    QString shown = s.snaptext.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QVERIFY(text().size() < shown.size());
    if (keys == u"New") {
        trigger("nmunew");
        shown.clear();
    } else {
        type(keys);
        shown += added;
    }
    QTRY_COMPARE_WITH_TIMEOUT(text(), shown, 60000);
    saveAs(file("saved.txt"));
    QFile saved(file("saved.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    CalcState read;
    QVERIFY(staterecord::read(saved.readAll(), read).ok());
    QCOMPARE(read.snaptext, shown.replace(u'\n', QLatin1String("\r\n")));
}

void TestDocuments::failedSaves_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("prompted"); // saved from the prompt of New rather than by Save As
    QTest::newRow("folder does not exist") << "missing/doc.txt" << false;
    QTest::newRow("parent is a file") << "plain/doc.txt" << false;
    QTest::newRow("parent is a file, from the prompt") << "plain/doc.txt" << true;
    QTest::newRow("target is a folder") << "folder" << false;
    QTest::newRow("target is a FIFO") << "fifo" << false;
    QTest::newRow("file cannot be replaced") << "locked.txt" << false;
}

void TestDocuments::failedSaves()
{
    QFETCH(QString, target);
    QFETCH(bool, prompted);
    write("plain", {});
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("folder/inner")));
    write("locked.txt", "kept as it was");
    QCOMPARE(::mkfifo(QFile::encodeName(file("fifo")).constData(), 0600), 0);
    const QString locked = file("locked.txt");
    if (target == u"locked.txt" &&
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), locked}) != 0)
        QSKIP("this file system cannot make a file immutable");

    type(QStringLiteral("2"));
    m_platform->saveNames.enqueue(m_dir->filePath(target));
    if (prompted) {
        m_platform->answers.enqueue(Platform::Answer::Yes);
        trigger("nmunew");
    } else {
        trigger("nmusaveas");
    }
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), locked});
    QCOMPARE(m_platform->messages.size(), prompted ? 2 : 1);
    QVERIFY2(m_platform->messages.back().startsWith(QStringLiteral("提示: 无法保存文件“")),
             qPrintable(m_platform->messages.back()));
    QVERIFY(state().changed);
    QFile kept(locked);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("kept as it was"));
    QVERIFY(QDir(file("folder")).exists(QStringLiteral("inner")));
    struct stat fifo = {};
    QVERIFY(::stat(QFile::encodeName(file("fifo")).constData(), &fifo) == 0 &&
            S_ISFIFO(fifo.st_mode));
    // The calculation goes on.
    type(QStringLiteral("="));
    QCOMPARE(text(), QStringLiteral(" 7+2= 9\n "));
}

void TestDocuments::historyProblems_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("plant"); // what stands in the way, and where
    QTest::addColumn<QString>("message");
    QTest::newRow("folder cannot be created")
        << "plain/steps"
        << "file plain"
        << QStringLiteral("提示: 无法记录计算步骤（%1：") +
               QString::fromLocal8Bit(std::strerror(ENOTDIR)) +
               QStringLiteral("），“上一步”将无法使用");
    QTest::newRow("folder open to everyone")
        << "steps"
        << "0777 steps"
        << "提示: 无法记录计算步骤（%1：其他用户也可以进入这个文件夹），“上一步”将无法使用";
    QTest::newRow("no cache folder")
        << ""
        << ""
        << "提示: 无法记录计算步骤（没有设置 HOME 或 XDG_CACHE_HOME，找不到缓存文件夹），"
           "“上一步”将无法使用";
    QTest::newRow("FIFO in a slot")
        << "steps"
        << "fifo steps/1/ 2"
        << "提示: 无法返回上一步（%1/1/ 2：不是本程序写下的普通文件），计算保持不变";
}

// The calculation goes on with one message, whatever happens to the history.
void TestDocuments::historyProblems()
{
    QFETCH(QString, folder);
    QFETCH(QString, plant);
    QFETCH(QString, message);
    const QString steps = folder.isEmpty() ? QString() : m_dir->filePath(folder);
    const QString where = m_dir->filePath(plant.section(u' ', 1));
    if (plant.startsWith(u"file"))
        write("plain", {});
    if (plant.startsWith(u"0777"))
        QVERIFY(QDir().mkpath(where) && ::chmod(QFile::encodeName(where).constData(), 0777) == 0);
    makeWindow(steps);
    type(QStringLiteral("1 + 2 + 3"));
    // The window writes its steps behind the keys.
    m_window->engine().finishHistory();
    if (plant.startsWith(u"fifo"))
        QVERIFY(QFile::remove(where) && ::mkfifo(QFile::encodeName(where).constData(), 0600) == 0);
    type(QStringLiteral("Up"));
    message.replace(QStringLiteral("%1"), QDir::toNativeSeparators(steps));
    QCOMPARE(m_platform->messages, QStringList({message}));
    QCOMPARE(text(), QStringLiteral(" 1+2+3"));
    type(QStringLiteral("="));
    QCOMPARE(text(), QStringLiteral(" 1+2+3= 6\n "));
}

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
