#include "files/regularfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using yaoshi::Links;
using yaoshi::ReadError;

class TstRegularFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reads_data();
    void reads();
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

QTEST_GUILESS_MAIN(TstRegularFile)
#include "tst_regularfile.moc"
