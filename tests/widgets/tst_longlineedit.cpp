#include "widgets/longlineedit.h"

#include <QTest>

// Places in a line held in pieces, to and from places in the box that holds it.
class TestLongLineEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void positions_data();
    void positions();
};

void TestLongLineEdit::positions_data()
{
    QTest::addColumn<QList<int>>("breaks");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("backToBox"); // the box position the line position gives
    QTest::newRow("no breaks") << QList<int>{} << 7 << 7 << 7;
    QTest::newRow("before a break") << QList<int>{5} << 4 << 4 << 4;
    QTest::newRow("at a break, end of the piece") << QList<int>{5} << 5 << 5 << 6;
    QTest::newRow("at a break, start of the next") << QList<int>{5} << 6 << 5 << 6;
    QTest::newRow("after a break") << QList<int>{5} << 9 << 8 << 9;
    QTest::newRow("after two breaks") << QList<int>{5, 11} << 14 << 12 << 14;
    QTest::newRow("at the second break") << QList<int>{5, 11} << 11 << 10 << 12;
    QTest::newRow("empty piece between") << QList<int>{5, 6} << 7 << 5 << 6;
    QTest::newRow("start") << QList<int>{0} << 0 << 0 << 1;
}

void TestLongLineEdit::positions()
{
    QFETCH(QList<int>, breaks);
    QFETCH(int, box);
    QFETCH(int, line);
    QFETCH(int, backToBox);
    QCOMPARE(linePosition(breaks, box), line);
    QCOMPARE(boxPosition(breaks, line), backToBox);
}

QTEST_APPLESS_MAIN(TestLongLineEdit)
#include "tst_longlineedit.moc"
