#include "files/regularfile.h"
#include "files/writefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using yaoshi::Links;
using yaoshi::ReadError;

class TstRegularFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reads_data();
    void reads();
    void saves_data();
    void saves();
};

void TstRegularFile::reads_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Links>("links");
    QTest::addColumn<int>("error");
    QTest::addColumn<QByteArray>("bytes");

    const auto row = [](const char *name, const char *kind, Links links, ReadError error,
                        QByteArray bytes = {}) {
        QTest::newRow(name) << QString::fromLatin1(kind) << links << int(error) << bytes;
    };
    row("regular", "file:abc", Links::Follow, ReadError::None, "abc");
    row("empty", "file:", Links::Follow, ReadError::None, "");
    row("at the limit", "file:0123456789", Links::Follow, ReadError::None, "0123456789");
    row("over the limit", "file:0123456789X", Links::Follow, ReadError::TooLarge);
    row("missing", "missing", Links::Follow, ReadError::Missing);
    row("folder", "folder", Links::Follow, ReadError::NotRegular);
    row("fifo", "fifo", Links::Follow, ReadError::NotRegular);
    row("endless device", "/dev/zero", Links::Follow, ReadError::NotRegular);
    row("link followed", "link", Links::Follow, ReadError::None, "target");
    row("link refused", "link", Links::Refuse, ReadError::NotRegular);
    row("link to a device refused", "/dev/zero-link", Links::Follow, ReadError::NotRegular);
}

void TstRegularFile::reads()
{
    QFETCH(QString, kind);
    QFETCH(Links, links);
    QFETCH(int, error);
    QFETCH(QByteArray, bytes);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("f"));
    if (kind.startsWith(u"file:")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kind.mid(5).toLatin1());
    } else if (kind == u"folder") {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("f")));
    } else if (kind == u"fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == u"link") {
        QFile target(dir.filePath(QStringLiteral("target")));
        QVERIFY(target.open(QIODevice::WriteOnly));
        target.write("target");
        target.close();
        QVERIFY(QFile::link(target.fileName(), path));
    } else if (kind == u"/dev/zero-link") {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else if (kind.startsWith(u'/')) {
        const yaoshi::FileBytes got = yaoshi::readRegularFile(kind, 10, links);
        QCOMPARE(int(got.error), error);
        return;
    }
    const yaoshi::FileBytes got = yaoshi::readRegularFile(path, 10, links);
    QCOMPARE(int(got.error), error);
    QCOMPARE(got.bytes, bytes);
}

void TstRegularFile::saves_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<int>("mode");           // of the saved file; -1 when it is not checked
    QTest::addColumn<QStringList>("folder"); // what the folder holds afterwards
    const QStringList one{QStringLiteral("doc.txt")};
    QTest::newRow("new file") << "new" << true << int(0666 & ~0022) << one;
    QTest::newRow("keeps its mode") << "mode 0640" << true << 0640 << one;
    QTest::newRow("keeps its group") << "group" << true << 0644 << one;
    QTest::newRow("through a link")
        << "link" << true << -1
        << QStringList{QStringLiteral("doc.txt"), QStringLiteral("target.txt")};
    QTest::newRow("hard links stay one file")
        << "hard link" << true << -1
        << QStringList{QStringLiteral("doc.txt"), QStringLiteral("other.txt")};
    QTest::newRow("in place in a read-only folder") << "read-only folder" << true << 0644 << one;
    QTest::newRow("new file in a read-only folder")
        << "new in read-only folder" << false << -1 << QStringList();
}

// A save replaces the document whole and leaves nothing else in its folder; the file keeps its
// mode, group and other names.
void TstRegularFile::saves()
{
    QFETCH(QString, kind);
    QFETCH(bool, saved);
    QFETCH(int, mode);
    QFETCH(QStringList, folder);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    const QString other = dir.filePath(kind == u"link" ? "target.txt" : "other.txt");
    const auto put = [](const QString &name, int fileMode) {
        QFile file(name);
        return file.open(QIODevice::WriteOnly) && file.write("old document") == 12 &&
               ::chmod(QFile::encodeName(name).constData(), mode_t(fileMode)) == 0;
    };
    ::umask(0022);
    if (kind == u"link")
        QVERIFY(put(other, 0600) && QFile::link(QStringLiteral("target.txt"), path));
    else if (kind == u"hard link")
        QVERIFY(put(path, 0600) && ::link(QFile::encodeName(path), QFile::encodeName(other)) == 0);
    else if (kind == u"mode 0640")
        QVERIFY(put(path, 0640));
    else if (kind == u"group" || kind == u"read-only folder")
        QVERIFY(put(path, 0644));
    if (kind == u"group" && ::chown(QFile::encodeName(path).constData(), uid_t(-1), 65534) != 0)
        QSKIP("only root can give a file to any group");
    const bool locked = kind.endsWith(u"read-only folder");
    const QByteArray folderName = QFile::encodeName(dir.path());
    // Root writes into any folder that only its mode protects.
    if (locked && (::geteuid() == 0 ? QProcess::execute(QStringLiteral("chattr"),
                                                        {QStringLiteral("+i"), dir.path()}) != 0
                                    : ::chmod(folderName.constData(), 0500) != 0))
        QSKIP("this file system cannot make a folder read-only");

    QString error;
    const bool ok = writeFile(path, "new document", &error);
    if (locked) {
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), dir.path()});
        ::chmod(folderName.constData(), 0700);
    }
    QCOMPARE(ok, saved);
    QCOMPARE(error.isEmpty(), saved);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), folder);
    struct stat st = {};
    if (!saved)
        return;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(yaoshi::readRegularFile(path, 100).bytes, QByteArray("new document"));
    QVERIFY(mode < 0 || int(st.st_mode & 07777) == mode);
    QVERIFY(kind != u"group" || st.st_gid == 65534);
    QVERIFY(kind != u"link" || QFileInfo(path).isSymLink());
    QVERIFY(kind != u"hard link" || st.st_nlink == 2);
}

QTEST_GUILESS_MAIN(TstRegularFile)
#include "tst_regularfile.moc"
