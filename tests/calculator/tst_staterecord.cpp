#include "calculator/staterecord.h"

#include <QTest>

static const QByteArray kNames = QByteArray("\"c:\\windows\\temp\\ 2\"\r\n").repeated(10);

class TestStateRecord : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip();
    void readsOlderOddOnlyLayout();
    void readsGb18030();
    void rejectsDamagedRecords_data();
    void rejectsDamagedRecords();
};

void TestStateRecord::roundTrip()
{
    CalcState s;
    s.snaptext = QStringLiteral(" \"quoted\"\r\nπ, \"\"\n");
    s.numtop = 3;
    s.nums[1] = 0.1;
    s.nums[2] = -1.7976931348623157e308;
    s.nums[3] = 5e-324;
    s.optop = 2;
    s.ops[1] = 0;
    s.ops[2] = 44;
    s.parens = 1;
    s.numlen = 10;
    s.pointset = 1;
    s.numtext[10] = QStringLiteral("3.14159265358979.");
    s.changed = true;
    s.stepcount = 123456;
    const QByteArray bytes = staterecord::write(s, QStringLiteral("/tmp/steps/ 16"));
    QVERIFY(bytes.endsWith("\"/tmp/steps/ 16\"\r\n"));

    CalcState r;
    QCOMPARE(staterecord::read(bytes, r), QString());
    QCOMPARE(r.snaptext, s.snaptext);
    QCOMPARE(QList<double>(r.nums.begin() + 1, r.nums.begin() + 4),
             QList<double>(s.nums.begin() + 1, s.nums.begin() + 4));
    QCOMPARE(r.ops, s.ops);
    QCOMPARE(QList<int>({r.numtop, r.optop, r.parens, r.numlen, r.pointset, r.stepcount}),
             QList<int>({3, 2, 1, 10, 1, 123456}));
    QCOMPARE(r.numtext[10], s.numtext[10]);
    QVERIFY(r.changed);
    QCOMPARE(staterecord::write(r, QStringLiteral("/tmp/steps/ 16")), bytes);
}

void TestStateRecord::readsOlderOddOnlyLayout()
{
    // numtop 3 and optop 2 with positions 1 and 3 of the numbers and 1 of the operators.
    const QByteArray bytes = "\" 1+2*3^\",3,0,2,0,0,\"\",#FALSE#,2\r\n1\r\n3\r\n5\r\n" + kNames;
    CalcState s;
    s.nums[2] = 42;
    s.ops[2] = 20;
    QCOMPARE(staterecord::read(bytes, s), QString());
    QCOMPARE(QList<double>(s.nums.begin() + 1, s.nums.begin() + 4), QList<double>({1, 42, 3}));
    QCOMPARE(QList<int>({s.ops[1], s.ops[2]}), QList<int>({5, 20}));
    QVERIFY(!s.changed);
}

void TestStateRecord::readsGb18030()
{
    // " π+" with π in GB18030 (A6 D0), written by a Windows program under a Chinese code page.
    const QByteArray bytes =
        "\" \xA6\xD0+\",1,0,1,0,0,\"\",#TRUE#,2\r\n3.14159265358979\r\n5\r\n" + kNames;
    CalcState s;
    QCOMPARE(staterecord::read(bytes, s), QString());
    QCOMPARE(s.snaptext, QStringLiteral(" π+"));
    QCOMPARE(s.nums[1], 3.14159265358979);
}

void TestStateRecord::rejectsDamagedRecords_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray head = "\" 1+\",1,0,1,0,0,\"\",#TRUE#,2\r\n";
    const QByteArray good = head + "1\r\n5\r\n" + kNames;
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header only") << head;
    QTest::newRow("truncated in the stack") << head + "1\r\n";
    QTest::newRow("truncated in the names") << head + "1\r\n5\r\n" + kNames.left(60);
    QTest::newRow("unterminated quote") << QByteArray("\" 1+,1,0,1,0,0");
    QTest::newRow("short header") << QByteArray("\" 1+\",1,0,1,0,0,\"\",#TRUE#\r\n") + kNames;
    // Cut in the middle of every field.
    qsizetype start = 0;
    for (qsizetype i = 0; i < good.size(); ++i) {
        if (good[i] != ',' && good[i] != '\r')
            continue;
        const qsizetype cut = start + (i - start) / 2;
        QTest::addRow("cut at %lld", qlonglong(cut)) << good.left(cut);
        start = i + (good[i] == '\r' ? 2 : 1);
        i = start - 1;
    }
    QTest::newRow("letters in a counter") << QByteArray(good).replace(",1,0,1,", ",x,0,1,");
    QTest::newRow("fraction for a counter") << QByteArray(good).replace(",1,0,1,", ",1,0,1.5,");
    QTest::newRow("huge numtop") << QByteArray(good).replace(",1,0,1,", ",30000,0,1,");
    QTest::newRow("huge optop") << QByteArray(good).replace(",1,0,1,", ",1,0,9999,");
    QTest::newRow("huge numlen") << QByteArray(good).replace(",1,0,1,0,", ",1,0,1,32767,");
    QTest::newRow("negative optop") << QByteArray(good).replace(",1,0,1,", ",1,0,-1,");
    QTest::newRow("negative stepcount") << QByteArray(good).replace(",#TRUE#,2", ",#TRUE#,-2");
    QTest::newRow("point with no entry") << QByteArray(good).replace(",0,0,\"\"", ",0,1,\"\"");
    QTest::newRow("bad flag") << QByteArray(good).replace("#TRUE#", "yes");
    QTest::newRow("number not finite") << QByteArray(good).replace("\r\n1\r\n", "\r\n1E999\r\n");
    QTest::newRow("number not a number") << QByteArray(good).replace("\r\n1\r\n", "\r\nabc\r\n");
    QTest::newRow("unknown operator") << QByteArray(good).replace("\r\n5\r\n", "\r\n7\r\n");
    QTest::newRow("unquoted name") << QByteArray(good).replace("\"c:\\windows\\temp\\ 2\"", "x");
    QTest::newRow("binary garbage") << QByteArray("\x00\xff\xfe\x81\x30", 5);
}

// A damaged record is refused whole: nothing of it reaches the state.
void TestStateRecord::rejectsDamagedRecords()
{
    QFETCH(QByteArray, bytes);
    CalcState s;
    s.snaptext = QStringLiteral("kept");
    s.stepcount = 9;
    s.nums[1] = 4;
    QVERIFY(!staterecord::read(bytes, s).isEmpty());
    QCOMPARE(s.snaptext, QStringLiteral("kept"));
    QCOMPARE(s.stepcount, 9);
    QCOMPARE(s.nums[1], 4.0);
    QCOMPARE(s.numtop, qint16(0));
}

QTEST_GUILESS_MAIN(TestStateRecord)
#include "tst_staterecord.moc"
