#include "calculator/engine/calculator.h"
#include "calculator/engine/staterecord.h"
#include "calculator/engine/stephistory.h"
#include "presses.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <csignal>
#include <cstring>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// A calculator whose steps are kept in a folder, as the window keeps them.
struct FolderCopy {
    explicit FolderCopy(const QString &stepsFolder,
                        StepHistory::Writing writing = StepHistory::Writing::Here)
        : steps(stepsFolder), calc(display, steps, writing)
    {
    }
    FolderStepStore steps;
    StringDisplay display{QStringLiteral(" ")};
    Calculator calc;
};

struct MemoryCopy {
    MemoryStepStore steps;
    StringDisplay display{QStringLiteral(" ")};
    Calculator calc{display, steps};
};

// pressKeys, and "save" (takes the document), "open" (opens it again) and "new". Returns the
// last press result that was not plain success; an Open that fails ends the test.
static PressResult run(Calculator &calc, const QString &keys, QByteArray &document)
{
    PressResult last;
    for (const QString &t : keys.split(u' ', Qt::SkipEmptyParts)) {
        if (t == u"save") {
            document = calc.documentRecord();
        } else if (t == u"open") {
            if (!calc.openDocument(document).ok())
                qFatal("the document does not open");
        } else if (t == u"new") {
            calc.resetDocument();
        } else if (const PressResult result = pressKeys(calc, t); result != PressResult()) {
            last = result;
        }
    }
    return last;
}

static QString systemReason(int errnum)
{
    return QString::fromLocal8Bit(std::strerror(errnum));
}

static PressResult historyResult(HistoryProblem problem, const QString &path = {},
                                 const QString &reason = {})
{
    return {Fault::None, HistoryIssue{problem, path, reason}};
}

static bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

static QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// Puts `kind` where `path` is: a link, a FIFO, a folder, a file. `outside` is a file beyond the
// history's folder that a link may point to.
static bool plant(const QString &kind, const QString &path, const QString &outside)
{
    QFile::remove(path);
    const QByteArray native = QFile::encodeName(path);
    if (kind == u"link to a file outside" || kind == u"link to a copy")
        return QFile::link(outside, path);
    if (kind == u"link to a missing file")
        return QFile::link(outside + QStringLiteral(".new"), path);
    if (kind == u"link to /dev/zero")
        return QFile::link(QStringLiteral("/dev/zero"), path);
    if (kind == u"hard link to a file outside")
        return ::link(QFile::encodeName(outside).constData(), native.constData()) == 0;
    if (kind == u"FIFO")
        return ::mkfifo(native.constData(), 0600) == 0;
    if (kind == u"folder")
        return QDir().mkdir(path);
    if (kind == u"too large")
        return writeFile(path, {}) && QFile::resize(path, staterecord::kMaxBytes + 1);
    if (kind == u"file of another owner")
        return writeFile(path, "x") && ::chown(native.constData(), 65534, 65534) == 0;
    return kind == u"removed";
}

class TestStepHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goesBack_data();
    void goesBack();
    void recordsPrivately();
    void damagedSlotsAreRefused_data();
    void damagedSlotsAreRefused();
    void plantedSlotsAreNotWritten_data();
    void plantedSlotsAreNotWritten();
    void refusedFolders_data();
    void refusedFolders();
    void copiesKeepTheirOwnSteps();
    void counterAtItsLimit();
    void failedWritesKeepThePrevious_data();
    void failedWritesKeepThePrevious();
    void deadCopyFolders_data();
    void deadCopyFolders();
    void runningCopiesKeepTheirOwnSteps();
};

void TestStepHistory::goesBack_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("display");
    QTest::addColumn<int>("stepcount");
    const auto row = [](const char *name, const QString &keys, const char *display, int steps) {
        QTest::newRow(name) << keys << QString::fromUtf8(display) << steps;
    };
    const QString back = QStringLiteral(" back");
    row("latest step first", "1 + 2 + 3 + 4 + 5 + 6 7 back", " 1+2+3+4+5+", 4);
    row("four steps back", "1 + 2 + 3 + 4 + 5 + 6 7" + back.repeated(4), " 1+2+", 1);
    row("step 1 is never restored", "1 + 2 + 3 + 4 + 5 + 6 7" + back.repeated(5), " 1+2+", 1);
    row("goes on from a restored step", "1 + 2 + 3 + back back 9 =", " 1+2+9= 12\r\n ", 2);
    row("every stack entry restored", "1 + 2 * 3 * 5 * back back 1 =", " 1+2*3*1= 7\r\n ", 3);
    row("across the slot wrap", QStringLiteral("1 + ").repeated(25) + back.repeated(20),
        " 1+1+1+1+1+1+", 5);
    // Slot 5 then holds step 25: going back never cycles forward.
    row("stops after 20 steps", QStringLiteral("1 + ").repeated(25) + back.repeated(21),
        " 1+1+1+1+1+1+", 5);
    row("ignored equals records", "1 + = back", " 1+", 1);
    // Open starts afresh: this run's earlier steps under the same counters stay away.
    row("nothing to go back to after Open", "1 + 2 + 3 + 4 5 save + 6 + 7 + open back", " 1+2+3+45",
        3);
    row("a step after Open", "1 + 2 + 3 + 4 5 save + 6 + 7 + open + 8 back back", " 1+2+3+45+", 3);
    // New keeps the history: going back restores the calculation from before it.
    row("back over New", "7 * 8 + new back 4 =", " 7*8+4= 60\r\n ", 2);
    row("a step after New, then back over New", "1 + 2 + new 5 + 6 back back", " 1+2+", 1);
}

// Memory and folder keep the same steps, and so does a folder written behind the keys.
void TestStepHistory::goesBack()
{
    QFETCH(QString, keys);
    QFETCH(QString, display);
    QFETCH(int, stepcount);
    QTemporaryDir dir;
    FolderCopy folder(dir.filePath(QStringLiteral("steps")));
    FolderCopy behind(dir.filePath(QStringLiteral("behind")), StepHistory::Writing::Behind);
    MemoryCopy memory;
    QByteArray document;
    QCOMPARE(run(folder.calc, keys, document), PressResult());
    QCOMPARE(folder.display.text(), display);
    QCOMPARE(folder.calc.state().stepcount, stepcount);
    QCOMPARE(run(behind.calc, keys, document), PressResult());
    QCOMPARE(behind.display.text(), display);
    QCOMPARE(behind.calc.state().stepcount, stepcount);
    behind.calc.finishHistory();
    for (int slot = 1; slot <= kSteps; ++slot)
        QCOMPARE(readFile(behind.steps.slotPath(slot)), readFile(folder.steps.slotPath(slot)));
    QCOMPARE(run(memory.calc, keys, document), PressResult());
    QCOMPARE(memory.display.text(), display);
    QCOMPARE(memory.calc.state().stepcount, stepcount);
}

void TestStepHistory::recordsPrivately()
{
    QTemporaryDir dir;
    const QString steps = dir.filePath(QStringLiteral("cache/yaoshi/steps"));
    FolderCopy c(steps);
    QCOMPARE(pressKeys(c.calc, QStringLiteral("1 +")), PressResult());
    QCOMPARE(c.steps.copyFolder(), steps + QStringLiteral("/1"));
    const QString slot = c.steps.slotPath(1);
    QCOMPARE(slot, steps + QStringLiteral("/1/ 1"));
    QCOMPARE(readFile(slot), "\" 1+\",1,0,1,0,0,\"\",#TRUE#,1\r\n1\r\n5\r\n" +
                                 QByteArray("\" 1\"\r\n").repeated(10));
    // Only the owner may enter the folders or read the slots.
    for (const QString &path : {steps, c.steps.copyFolder(), slot}) {
        struct stat st = {};
        QVERIFY(::lstat(QFile::encodeName(path).constData(), &st) == 0);
        QCOMPARE(st.st_uid, ::geteuid());
        QCOMPARE(st.st_mode & 07077, 0u);
    }
}

void TestStepHistory::damagedSlotsAreRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<HistoryProblem>("problem");
    QTest::addColumn<bool>("named"); // the issue names the slot
    QTest::addColumn<QString>("reason");
    using enum HistoryProblem;
    QTest::newRow("rewritten") << "rewritten" << BackChanged << false << QString();
    QTest::newRow("cut short") << "cut short" << BackChanged << false << QString();
    QTest::newRow("link to a copy") << "link to a copy" << BackNotRegular << true << QString();
    QTest::newRow("FIFO") << "FIFO" << BackNotRegular << true << QString();
    QTest::newRow("link to /dev/zero")
        << "link to /dev/zero" << BackNotRegular << true << QString();
    QTest::newRow("folder") << "folder" << BackNotRegular << true << QString();
    QTest::newRow("too large") << "too large" << BackTooLarge << true << QString();
    QTest::newRow("removed") << "removed" << BackUnreadable << true << systemReason(ENOENT);
}

// A slot that is not what this copy wrote is never read into the calculation.
void TestStepHistory::damagedSlotsAreRefused()
{
    QFETCH(QString, kind);
    QFETCH(HistoryProblem, problem);
    QFETCH(bool, named);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    FolderCopy c(dir.filePath(QStringLiteral("steps")));
    QCOMPARE(pressKeys(c.calc, QStringLiteral("1 + 2 + 3 + 4")), PressResult());
    const QString slot = c.steps.slotPath(3);
    const QByteArray written = readFile(slot);
    const QString copy = dir.filePath(QStringLiteral("copy"));
    QVERIFY(writeFile(copy, written));
    if (kind == u"rewritten")
        QVERIFY(writeFile(slot, QByteArray(written).replace("3+\"", "9+\"")));
    else if (kind == u"cut short")
        QVERIFY(writeFile(slot, written.left(written.size() - 2)));
    else
        QVERIFY(plant(kind, slot, copy));

    for (int press = 0; press < 2; ++press) {
        QCOMPARE(pressKeys(c.calc, QStringLiteral("back")),
                 historyResult(problem, named ? slot : QString(), reason));
        QCOMPARE(c.display.text(), QStringLiteral(" 1+2+3+4"));
        QCOMPARE(c.calc.state().stepcount, 3);
    }
    QCOMPARE(pressKeys(c.calc, QStringLiteral("=")), PressResult());
    QCOMPARE(c.display.text(), QStringLiteral(" 1+2+3+4= 10\r\n "));
}

void TestStepHistory::plantedSlotsAreNotWritten_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<HistoryProblem>("problem");
    QTest::addColumn<QString>("reason");
    for (const char *kind : {"link to a file outside", "link to a missing file",
                             "hard link to a file outside", "FIFO", "file of another owner"})
        QTest::newRow(kind) << kind << HistoryProblem::SlotNotRegular << QString();
    QTest::newRow("folder") << "folder" << HistoryProblem::WriteFailed << systemReason(EISDIR);
}

// Whatever stands in a slot, the write goes nowhere else, never blocks, and is reported once.
void TestStepHistory::plantedSlotsAreNotWritten()
{
    QFETCH(QString, kind);
    QFETCH(HistoryProblem, problem);
    QFETCH(QString, reason);
    if (kind == u"file of another owner" && ::geteuid() != 0)
        QSKIP("only root can give a file away");
    QTemporaryDir dir;
    FolderCopy c(dir.filePath(QStringLiteral("steps")));
    QCOMPARE(pressKeys(c.calc, QStringLiteral("1 +")), PressResult());
    const QString outside = dir.filePath(QStringLiteral("outside"));
    QVERIFY(writeFile(outside, "keep"));
    const QString slot = c.steps.slotPath(2);
    QVERIFY(plant(kind, slot, outside));

    QCOMPARE(pressKeys(c.calc, QStringLiteral("2 +")), historyResult(problem, slot, reason));
    QCOMPARE(readFile(outside), QByteArray("keep"));
    QVERIFY(!QFile::exists(outside + QStringLiteral(".new")));
    // Step 2 was not kept, so there is nothing to go back to; later steps are kept again.
    QCOMPARE(pressKeys(c.calc, QStringLiteral("back")), PressResult());
    QCOMPARE(c.display.text(), QStringLiteral(" 1+2+"));
    QCOMPARE(pressKeys(c.calc, QStringLiteral("3 + 4 back")), PressResult());
    QCOMPARE(c.display.text(), QStringLiteral(" 1+2+3+"));
}

void TestStepHistory::refusedFolders_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<HistoryProblem>("problem");
    QTest::addColumn<QString>("refused"); // the folder the issue names
    QTest::addColumn<QString>("reason");
    using enum HistoryProblem;
    const auto row = [](const char *name, const char *kind, HistoryProblem problem,
                        const char *refused, const QString &reason = {}) {
        QTest::newRow(name) << kind << problem << QString::fromLatin1(refused) << reason;
    };
    row("open to everyone", "open to everyone", FolderOpen, "steps");
    row("open to the group", "open to the group", FolderOpen, "steps");
    row("link to a private folder", "link", FolderNotOwned, "steps");
    row("a file", "a file", FolderNotOwned, "steps");
    row("another owner", "another owner", FolderNotOwned, "steps");
    row("cannot be created", "cannot be created", FolderFailed, "file/steps",
        systemReason(ENOTDIR));
    row("copy folder open to everyone", "copy open", FolderOpen, "steps/1");
    row("copy folder is a link", "copy link", FolderNotOwned, "steps/1");
    row("no cache folder", "no folder", NoFolder, "");
    // An immutable folder refuses even root; others get no write permission.
    row("read-only cache", "read-only cache", FolderFailed, "cache/yaoshi",
        systemReason(::geteuid() == 0 ? EPERM : EACCES));
}

// A folder that is not the user's own and private turns the history off for the run, with one
// report, and nothing is written into it.
void TestStepHistory::refusedFolders()
{
    QFETCH(QString, kind);
    QFETCH(HistoryProblem, problem);
    QFETCH(QString, refused);
    QFETCH(QString, reason);
    if (kind == u"another owner" && ::geteuid() != 0)
        QSKIP("only root can give a folder away");
    QTemporaryDir dir;
    const QString steps = dir.filePath(kind == u"cannot be created" ? "file/steps"
                                       : kind == u"read-only cache" ? "cache/yaoshi/steps"
                                                                    : "steps");
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    QVERIFY(QDir().mkdir(elsewhere, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const auto mkdir = [](const QString &path, int mode) {
        return ::mkdir(QFile::encodeName(path).constData(), 0700) == 0 &&
               ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
    };
    if (kind == u"open to everyone")
        QVERIFY(mkdir(steps, 0777));
    else if (kind == u"open to the group")
        QVERIFY(mkdir(steps, 0710));
    else if (kind == u"link")
        QVERIFY(QFile::link(elsewhere, steps));
    else if (kind == u"a file")
        QVERIFY(writeFile(steps, {}));
    else if (kind == u"another owner")
        QVERIFY(mkdir(steps, 0700) && ::chown(QFile::encodeName(steps).constData(), 65534, 0) == 0);
    else if (kind == u"cannot be created")
        QVERIFY(writeFile(dir.filePath(QStringLiteral("file")), {}));
    else if (kind == u"copy open")
        QVERIFY(mkdir(steps, 0700) && mkdir(steps + QStringLiteral("/1"), 0777));
    else if (kind == u"copy link")
        QVERIFY(mkdir(steps, 0700) && QFile::link(elsewhere, steps + QStringLiteral("/1")));
    const QString cache = dir.filePath(QStringLiteral("cache"));
    if (kind == u"read-only cache" &&
        !(mkdir(cache, 0500) &&
          (::geteuid() != 0 ||
           QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), cache}) == 0)))
        QSKIP("this file system cannot make a folder immutable");

    FolderCopy c(kind == u"no folder" ? QString() : steps);
    const PressResult first = pressKeys(c.calc, QStringLiteral("1 +"));
    if (kind == u"read-only cache")
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), cache});
    QCOMPARE(first,
             historyResult(problem, refused.isEmpty() ? QString() : dir.filePath(refused), reason));
    QCOMPARE(pressKeys(c.calc, QStringLiteral("2 + 3 = back")), PressResult());
    QCOMPARE(c.display.text(), QStringLiteral(" 1+2+3= 6\r\n "));
    QCOMPARE(c.steps.copyFolder(), QString());
    QCOMPARE(QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    if (kind == u"no folder")
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList({QStringLiteral("elsewhere")}));
}

// Two copies on one folder: each goes back only through its own steps.
void TestStepHistory::copiesKeepTheirOwnSteps()
{
    QTemporaryDir dir;
    const QString steps = dir.filePath(QStringLiteral("steps"));
    FolderCopy a(steps);
    FolderCopy b(steps);
    QCOMPARE(pressKeys(a.calc, QStringLiteral("1 + 2 + 3")), PressResult());
    QCOMPARE(pressKeys(b.calc, QStringLiteral("7 + 8 + 9")), PressResult());
    QCOMPARE(pressKeys(a.calc, QStringLiteral("back")), PressResult());
    QCOMPARE(a.display.text(), QStringLiteral(" 1+2+"));
    QCOMPARE(pressKeys(b.calc, QStringLiteral("back")), PressResult());
    QCOMPARE(b.display.text(), QStringLiteral(" 7+8+"));
    QVERIFY(a.steps.copyFolder() != b.steps.copyFolder());
}

// A document whose counter is at its limit: the history says once that it keeps no more steps.
void TestStepHistory::counterAtItsLimit()
{
    MemoryCopy c;
    const QByteArray record =
        "\" \",0,0,0,0,0,\"\",#TRUE#,2147483647\r\n" + QByteArray("\" 7\"\r\n").repeated(10);
    QCOMPARE(c.calc.openDocument(record), staterecord::ReadResult());
    QCOMPARE(pressKeys(c.calc, QStringLiteral("1 +")), historyResult(HistoryProblem::CounterFull));
    QCOMPARE(pressKeys(c.calc, QStringLiteral("2 + 3 =")), PressResult());
    QCOMPARE(c.display.text(), QStringLiteral(" 1+2+3= 6\r\n "));
    QCOMPARE(c.calc.state().stepcount, 2147483647);
}

void TestStepHistory::failedWritesKeepThePrevious_data()
{
    QTest::addColumn<bool>("recovery");
    QTest::newRow("slot") << false;
    QTest::newRow("recovery record") << true;
}

// A write that stops part-way (here at a file size limit, as on a full disk) leaves the record
// that was there, whole, and no temporary file.
void TestStepHistory::failedWritesKeepThePrevious()
{
    QFETCH(bool, recovery);
    QTemporaryDir dir;
    FolderStepStore steps(dir.filePath(QStringLiteral("steps")));
    const auto write = [&](const QByteArray &record) {
        return recovery ? steps.keepRecovery(record) : steps.write(3, record);
    };
    QCOMPARE(write("the record before"), HistoryIssue());
    const QString path =
        recovery ? steps.copyFolder() + QStringLiteral("/recovery") : steps.slotPath(3);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    const HistoryIssue issue = write(QByteArray(8192, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QCOMPARE(issue, (HistoryIssue{HistoryProblem::WriteFailed, path, systemReason(EFBIG)}));
    QCOMPARE(readFile(path), QByteArray("the record before"));
    QCOMPARE(QDir(steps.copyFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList(QFileInfo(path).fileName()));
}

void TestStepHistory::deadCopyFolders_data()
{
    QTest::addColumn<QString>("end");       // how copy A ended
    QTest::addColumn<QString>("offered");   // the display of the record offered, if any
    QTest::addColumn<QString>("folderOfB"); // the folder the next copy takes
    QTest::addColumn<QString>("folderOfC"); // and the one after it
    const auto row = [](const char *name, const char *end, const char *offered, const char *b,
                        const char *c) {
        QTest::newRow(name) << end << QString::fromUtf8(offered) << b << c;
    };
    row("saved", "saved", "", "1", "2");
    row("unsaved", "unsaved", " 1+2+3", "2", "3");
    row("a note after the last key", "note", " 1+2+3 note", "2", "3");
    row("taken or declined", "discarded", " 1+2+3", "2", "1");
    row("a slot opened as a document", "opened", "", "2", "1");
}

// A copy that ended keeps its folder, its slots and, with unsaved work, its recovery record,
// offered until the user takes it or declines; a folder without one goes to the next copy.
void TestStepHistory::deadCopyFolders()
{
    QFETCH(QString, end);
    QFETCH(QString, offered);
    QFETCH(QString, folderOfB);
    QFETCH(QString, folderOfC);
    QTemporaryDir dir;
    const QString steps = dir.filePath(QStringLiteral("steps"));
    QByteArray stepTwo;
    {
        FolderCopy a(steps);
        QCOMPARE(pressKeys(a.calc, QStringLiteral("1 + 2 + 3")), PressResult());
        stepTwo = readFile(a.steps.slotPath(2));
        // The record goes with each step; what was typed after the last one goes when the
        // window's timer asks for it.
        if (end == u"note") {
            a.display.append(QStringLiteral(" note"));
            a.calc.markChanged();
        }
        if (offered.isEmpty())
            a.calc.setChanged(false);
        else
            a.calc.keepRecovery();
        QCOMPARE(QFile::exists(steps + QStringLiteral("/1/recovery")), !offered.isEmpty());
    }
    std::vector<LeftRecovery> left = findLeftRecoveries(steps);
    QCOMPARE(left.size(), offered.isEmpty() ? 0u : 1u);
    FolderCopy b(steps);
    const QString opened = steps + QStringLiteral("/1/ 2");
    if (end == u"opened")
        b.steps.keepClearOf(opened);
    QCOMPARE(pressKeys(b.calc, QStringLiteral("5 +")), PressResult());
    QCOMPARE(b.steps.copyFolder(), steps + u'/' + folderOfB);
    // Nothing of A's is deleted or overwritten by B.
    QCOMPARE(readFile(opened), stepTwo);
    if (!offered.isEmpty()) {
        CalcState record;
        QCOMPARE(staterecord::read(left[0].record(), record), staterecord::ReadResult());
        QCOMPARE(record.snaptext, offered);
        if (end == u"discarded")
            left[0].discard();
    }
    left.clear();
    FolderCopy c(steps);
    QCOMPARE(pressKeys(c.calc, QStringLiteral("5 +")), PressResult());
    QCOMPARE(c.steps.copyFolder(), steps + u'/' + folderOfC);
    QCOMPARE(findLeftRecoveries(steps).size(), end == u"unsaved" || end == u"note" ? 1u : 0u);
}

// The helper copy: presses each line of keys read from stdin, then prints its display and its
// folder on one line.
static int runCopy(const QString &stepsFolder)
{
    FolderCopy c(stepsFolder);
    QTextStream in(stdin);
    QTextStream out(stdout);
    QString keys;
    while (in.readLineInto(&keys)) {
        pressKeys(c.calc, keys);
        out << c.display.text() << u'\t' << c.steps.copyFolder() << Qt::endl;
    }
    return 0;
}

// Two running programs, as a user starts them: copy A presses 1 + 2 + 3, copy B 7 + 8 + 9, and
// each goes back to its own step, however long A has been running. A copy killed mid-run leaves a
// stale lock and its unsaved work, which the next copy leaves alone and offers.
void TestStepHistory::runningCopiesKeepTheirOwnSteps()
{
    QTemporaryDir dir;
    const QString steps = dir.filePath(QStringLiteral("steps"));
    const auto start = [&](QProcess &p) {
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--copy"), steps});
        return p.waitForStarted();
    };
    const auto ask = [](QProcess &p, const char *keys) {
        p.write(QByteArray(keys) + '\n');
        while (!p.canReadLine())
            if (!p.waitForReadyRead(10000))
                return QStringList();
        return QString::fromUtf8(p.readLine()).chopped(1).split(u'\t');
    };
    QProcess a;
    QProcess b;
    QVERIFY(start(a) && start(b));
    const QStringList a1 = ask(a, "1 + 2 + 3");
    // However long a copy has been running, its lock is not stale.
    QFile lockOfA(a1.value(1) + QStringLiteral(".lock"));
    QVERIFY(lockOfA.open(QIODevice::ReadOnly));
    QVERIFY(lockOfA.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                QFileDevice::FileModificationTime));
    lockOfA.close();
    const QStringList b1 = ask(b, "7 + 8 + 9");
    QCOMPARE(a1.value(0), QStringLiteral(" 1+2+3"));
    QCOMPARE(b1.value(0), QStringLiteral(" 7+8+9"));
    QVERIFY(a1.value(1) != b1.value(1));
    QCOMPARE(ask(a, "back").value(0), QStringLiteral(" 1+2+"));
    QCOMPARE(ask(b, "back").value(0), QStringLiteral(" 7+8+"));

    a.kill();
    QVERIFY(a.waitForFinished());
    QVERIFY(QFile::exists(a1.value(1) + QStringLiteral(".lock")));
    QProcess c;
    QVERIFY(start(c));
    const QStringList c1 = ask(c, "5 + back");
    QCOMPARE(c1.value(0), QStringLiteral(" 5+"));
    QVERIFY(c1.value(1) != a1.value(1) && c1.value(1) != b1.value(1));
    QCOMPARE(QDir(a1.value(1)).entryList(QDir::Files),
             QStringList({QStringLiteral(" 1"), QStringLiteral(" 2"), QStringLiteral("recovery")}));
    const std::vector<LeftRecovery> left = findLeftRecoveries(steps);
    QCOMPARE(left.size(), 1u);
    QCOMPARE(left[0].path(), a1.value(1) + QStringLiteral("/recovery"));

    for (QProcess *p : {&b, &c}) {
        p->closeWriteChannel();
        QVERIFY(p->waitForFinished());
        QCOMPARE(p->exitCode(), 0);
    }
    // Copies that end as they should take their locks with them.
    QCOMPARE(QDir(steps).entryList(QDir::Files),
             QStringList({QFileInfo(a1.value(1)).fileName() + QStringLiteral(".lock")}));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--copy") == 0)
        return runCopy(QString::fromLocal8Bit(argv[2]));
    TestStepHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stephistory.moc"
