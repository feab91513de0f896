#include "calculator/engine/staterecord.h"

#include <QTest>

namespace staterecord
{
// How QCOMPARE shows a result.
char *toString(const ReadResult &result)
{
    return QTest::toString(QStringLiteral("error %1 on line %2%3")
                               .arg(int(result.error))
                               .arg(result.line)
                               .arg(result.calculationDropped ? ", calculation dropped" : ""));
}
} // namespace staterecord

static const QByteArray kNames = QByteArray("\"c:\\windows\\temp\\ 2\"\r\n").repeated(10);

class TestStateRecord : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void readsOlderOddOnlyLayout();
    void readsGb18030();
    void rejectsDamagedRecords_data();
    void rejectsDamagedRecords();
};

void TestStateRecord::roundTrip_data()
{
    // Texts and stacks at the writer's bounds: three UTF-8 bytes for each UTF-16 unit, two for a
    // quote, the longest numbers and counters there are.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readBack");
    QTest::addColumn<bool>("full");
    const QString mixed = QStringLiteral(" \"quoted\"\r\nπ, \"\"\n");
    QTest::newRow("quotes and breaks") << mixed << mixed << false;
    const QString cjk = QStringLiteral("中文").repeated(300);
    QTest::newRow("three bytes a unit") << cjk << cjk << false;
    const QString quotes = QStringLiteral("\"").repeated(301);
    QTest::newRow("all quotes") << quotes << quotes << false;
    const QString pairs = QStringLiteral("\"😀\"𝑥");
    QTest::newRow("surrogate pairs") << pairs << pairs << false;
    QTest::newRow("unpaired surrogates") << (u'a' + QString(QChar(0xd800)) + u'"' + QChar(0xdc00))
                                         << QStringLiteral("a?\"?") << false;
    QTest::newRow("full stacks") << cjk << cjk << true;
}

void TestStateRecord::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(QString, readBack);
    QFETCH(bool, full);
    CalcState s;
    s.snaptext = text;
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
    s.entry = QStringLiteral("3.14159265358979.");
    s.changed = true;
    s.stepcount = 123456;
    int slot = 16;
    if (full) {
        s.numtop = kMaxNums;
        s.nums.fill(-2.2250738585072014e-308);
        s.optop = kMaxOps;
        s.ops.fill(44);
        s.parens = s.numlen = s.pointset = -32768;
        s.entry = QStringLiteral("\"中").repeated(kMaxEntry);
        s.changed = false;
        s.stepcount = std::numeric_limits<qint32>::min();
        slot = std::numeric_limits<int>::min();
    }
    const QByteArray bytes = staterecord::write(s, slot);
    QVERIFY(bytes.endsWith("\r\n\" " + QByteArray::number(slot) + "\"\r\n"));
    if (full)
        return; // counters out of range are refused on reading

    CalcState r;
    QCOMPARE(staterecord::read(bytes, r), staterecord::ReadResult());
    QCOMPARE(r.snaptext, readBack);
    QCOMPARE(QList<double>(r.nums.begin() + 1, r.nums.begin() + 4),
             QList<double>(s.nums.begin() + 1, s.nums.begin() + 4));
    QCOMPARE(r.ops, s.ops);
    QCOMPARE(QList<int>({r.numtop, r.optop, r.parens, r.numlen, r.pointset, r.stepcount}),
             QList<int>({3, 2, 1, 10, 1, 123456}));
    QCOMPARE(r.entry, s.entry);
    QVERIFY(r.changed);
    if (readBack != text)
        return;
    QCOMPARE(staterecord::write(r, slot), bytes);
    // Records written with the folder in their name lines still read.
    const QByteArray withFolder =
        QByteArray(bytes).replace("\" 16\"", "\"/home/user/.cache/yaoshi/steps/ 16\"");
    CalcState f;
    QCOMPARE(staterecord::read(withFolder, f), staterecord::ReadResult());
    QCOMPARE(staterecord::write(f, slot), bytes);
}

void TestStateRecord::readsOlderOddOnlyLayout()
{
    // numtop 3 and optop 2 with positions 1 and 3 of the numbers and 1 of the operators: the
    // text, flag and step count are read, the calculation is not.
    const QByteArray bytes = "\" 1+2*3^\",3,1,2,2,1,\" 4.\",#FALSE#,2\r\n1\r\n3\r\n5\r\n" + kNames;
    CalcState s;
    s.numtop = 1;
    s.optop = 1;
    s.changed = true;
    QCOMPARE(staterecord::read(bytes, s), (staterecord::ReadResult{{}, 0, true}));
    QCOMPARE(s.snaptext, QStringLiteral(" 1+2*3^"));
    QCOMPARE(QList<int>({s.numtop, s.optop, s.parens, s.numlen, s.pointset, s.stepcount}),
             QList<int>({0, 0, 0, 0, 0, 2}));
    QVERIFY(!s.changed);
    // Damaged stack lines are refused in that layout as well.
    CalcState t;
    QCOMPARE(staterecord::read(QByteArray(bytes).replace("\r\n5\r\n", "\r\n7\r\n"), t),
             (staterecord::ReadResult{staterecord::Error::NotOperator, 4}));
}

void TestStateRecord::readsGb18030()
{
    // " π+" with π in GB18030 (A6 D0), written by a Windows program under a Chinese code page.
    const QByteArray bytes =
        "\" \xA6\xD0+\",1,0,1,0,0,\"\",#TRUE#,2\r\n3.14159265358979\r\n5\r\n" + kNames;
    CalcState s;
    QCOMPARE(staterecord::read(bytes, s), staterecord::ReadResult());
    QCOMPARE(s.snaptext, QStringLiteral(" π+"));
    QCOMPARE(s.nums[1], 3.14159265358979);
}

void TestStateRecord::rejectsDamagedRecords_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error"); // -1: any
    QTest::addColumn<int>("line");
    using enum staterecord::Error;
    const auto row = [](const char *name, const QByteArray &bytes, staterecord::Error error,
                        int line = 0) { QTest::newRow(name) << bytes << int(error) << line; };
    const QByteArray head = "\" 1+\",1,0,1,0,0,\"\",#TRUE#,2\r\n";
    const QByteArray good = head + "1\r\n5\r\n" + kNames;
    row("empty", QByteArray(), Empty);
    row("header only", head, StackLineCount);
    row("truncated in the stack", head + "1\r\n", StackLineCount);
    row("truncated in the names", head + "1\r\n5\r\n" + kNames.left(60), UnclosedQuote);
    row("unterminated quote", "\" 1+,1,0,1,0,0", UnclosedQuote);
    row("text after a quote", QByteArray(good).replace("\" 1+\",", "\" 1+\"x,"), TextAfterQuote, 1);
    row("short header", QByteArray("\" 1+\",1,0,1,0,0,\"\",#TRUE#\r\n") + kNames, HeadFieldCount,
        1);
    row("unquoted entry", QByteArray(good).replace(",\"\",", ",x,"), HeadUnquoted, 1);
    // Cut in the middle of every field: refused, for whichever reason the cut gives.
    qsizetype start = 0;
    for (qsizetype i = 0; i < good.size(); ++i) {
        if (good[i] != ',' && good[i] != '\r')
            continue;
        const qsizetype cut = start + (i - start) / 2;
        QTest::addRow("cut at %lld", qlonglong(cut)) << good.left(cut) << -1 << 0;
        start = i + (good[i] == '\r' ? 2 : 1);
        i = start - 1;
    }
    row("letters in a counter", QByteArray(good).replace(",1,0,1,", ",x,0,1,"), HeadNotInteger, 1);
    row("fraction for a counter", QByteArray(good).replace(",1,0,1,", ",1,0,1.5,"), HeadNotInteger,
        1);
    row("huge numtop", QByteArray(good).replace(",1,0,1,", ",30000,0,1,"), HeadOutOfRange, 1);
    row("huge optop", QByteArray(good).replace(",1,0,1,", ",1,0,9999,"), HeadOutOfRange, 1);
    row("huge numlen", QByteArray(good).replace(",1,0,1,0,", ",1,0,1,32767,"), HeadOutOfRange, 1);
    row("negative optop", QByteArray(good).replace(",1,0,1,", ",1,0,-1,"), HeadOutOfRange, 1);
    row("negative stepcount", QByteArray(good).replace(",#TRUE#,2", ",#TRUE#,-2"), HeadOutOfRange,
        1);
    row("point with no entry", QByteArray(good).replace(",0,0,\"\"", ",0,1,\"\""), HeadOutOfRange,
        1);
    row("bad flag", QByteArray(good).replace("#TRUE#", "yes"), HeadFlag, 1);
    row("too few names", head + "1\r\n5\r\n" + kNames.left(kNames.size() / 10 * 9), NameLineCount);
    row("two fields on a stack line", QByteArray(good).replace("\r\n1\r\n", "\r\n1,2\r\n"),
        LineFormat, 2);
    row("number not finite", QByteArray(good).replace("\r\n1\r\n", "\r\n1E999\r\n"), NotFinite, 2);
    row("number not a number", QByteArray(good).replace("\r\n1\r\n", "\r\nabc\r\n"), NotFinite, 2);
    row("unknown operator", QByteArray(good).replace("\r\n5\r\n", "\r\n7\r\n"), NotOperator, 3);
    row("unquoted names", QByteArray(good).replace("\"c:\\windows\\temp\\ 2\"", "x"),
        StackLineCount);
    row("unquoted name", head + "1\r\n5\r\n" + kNames + "x\r\n", LineFormat, 14);
    row("binary garbage", QByteArray("\x00\xff\xfe\x81\x30", 5), UnknownEncoding);
}

// A damaged record is refused whole, for what is wrong with it: nothing of it reaches the state.
void TestStateRecord::rejectsDamagedRecords()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    QFETCH(int, line);
    CalcState s;
    s.snaptext = QStringLiteral("kept");
    s.stepcount = 9;
    s.nums[1] = 4;
    const staterecord::ReadResult result = staterecord::read(bytes, s);
    if (error < 0)
        QVERIFY(!result.ok());
    else
        QCOMPARE(result, (staterecord::ReadResult{staterecord::Error(error), line, false}));
    QCOMPARE(s.snaptext, QStringLiteral("kept"));
    QCOMPARE(s.stepcount, 9);
    QCOMPARE(s.nums[1], 4.0);
    QCOMPARE(s.numtop, qint16(0));
}

QTEST_GUILESS_MAIN(TestStateRecord)
#include "tst_staterecord.moc"
