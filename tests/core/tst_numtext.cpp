#include "core/numtext.h"

#include <QTest>

#include <bit>
#include <cmath>
#include <limits>

using namespace yaoshi;

class TestNumText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayForm_data();
    void displayForm();
    void displayForm32_data();
    void displayForm32();
    void plainForm();
    void readEntry_data();
    void readEntry();
    void readsDisplayFormBack_data();
    void readsDisplayFormBack();
};

static double factorial170()
{
    double x = 170;
    for (int i = 1; i < 170; ++i)
        x *= i;
    return x;
}

void TestNumText::displayForm_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 3.0 << " 3";
    QTest::newRow("negative whole") << -5.0 << "-5";
    QTest::newRow("half has no leading zero") << 0.5 << " .5";
    QTest::newRow("minus half") << -0.5 << "-.5";
    QTest::newRow("zero") << 0.0 << " 0";
    QTest::newRow("negative zero") << -0.0 << " 0";
    QTest::newRow("rounded to 15 digits") << 0.1 + 0.2 << " .3";
    QTest::newRow("third") << 1.0 / 3 << " .333333333333333";
    QTest::newRow("pi") << 4 * std::atan(1.0) << " 3.14159265358979";
    QTest::newRow("largest fixed") << 123456789012345.0 << " 123456789012345";
    QTest::newRow("1E15") << 1e15 << " 1E+15";
    QTest::newRow("rounds up into exponent form") << 999999999999999.9 << " 1E+15";
    QTest::newRow("smallest fixed") << 1e-4 << " .0001";
    QTest::newRow("1E-5") << 1e-5 << " 1E-05";
    QTest::newRow("small mantissa") << -2.5e-7 << "-2.5E-07";
    QTest::newRow("170!") << factorial170() << " 7.257415615308E+306";
    QTest::newRow("three-digit exponent") << 1e-300 << " 1E-300";
}

void TestNumText::displayForm()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(yaoshi::displayForm(value), text);
}

void TestNumText::displayForm32_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("one") << 1.0f << " 1";
    QTest::newRow("fifth") << 0.2f << " .2";
    QTest::newRow("5^10 stays fixed") << 9765625.0f << " 9765625";
    QTest::newRow("5^11") << 48828125.0f << " 4.882812E+07";
    QTest::newRow("5^-11") << float(1 / 48828125.0) << " 2.048E-08";
    QTest::newRow("negative") << -0.04f << "-.04";
}

void TestNumText::displayForm32()
{
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(yaoshi::displayForm32(value), text);
}

void TestNumText::plainForm()
{
    QCOMPARE(yaoshi::plainForm(4 * std::atan(1.0)), QStringLiteral("3.14159265358979"));
    QCOMPARE(yaoshi::plainForm(std::exp(1.0)), QStringLiteral("2.71828182845905"));
}

void TestNumText::readEntry_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("blanks ignored") << " 1 2. 5" << 12.5;
    QTest::newRow("point alone") << "." << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("placed pi then 5") << "3.14159265358979 5" << 3.141592653589795;
    QTest::newRow("factorial text then 5") << " 6 5" << 65.0;
    QTest::newRow("minus half") << "-.5" << -0.5;
    QTest::newRow("exponent") << " 1E+15" << 1e15;
    QTest::newRow("negative exponent") << " 2.5E-07" << 2.5e-7;
    QTest::newRow("E without digits") << "1E" << 1.0;
    QTest::newRow("E with sign only") << "1E+" << 1.0;
    QTest::newRow("stops at a letter") << "12abc" << 12.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("no digits") << "abc" << 0.0;
    QTest::newRow("too large") << " 7.257415615308E+306 5"
                               << std::numeric_limits<double>::infinity();
    QTest::newRow("too small") << " 1E-300 5" << 0.0;
    const QString zeros = QString(400, u'0');
    QTest::newRow("too small without exponent") << u'.' + zeros + u'1' << 0.0;
    QTest::newRow("too small with a positive exponent") << u'.' + zeros + "1E+5" << 0.0;
    QTest::newRow("negative too small") << "-." + zeros + u'1' << -0.0;
    QTest::newRow("too large without exponent") << u'1' + zeros << HUGE_VAL;
    QTest::newRow("too large with a negative exponent") << u'1' + zeros + "E-5" << HUGE_VAL;
    QTest::newRow("leading zeros cancel the exponent") << u'.' + zeros + "1E+400" << 0.1;
}

// Bit for bit: 1E-300 is not 0, and -0 is not 0.
void TestNumText::readEntry()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(std::bit_cast<quint64>(yaoshi::readEntry(text)), std::bit_cast<quint64>(value));
}

void TestNumText::readsDisplayFormBack_data()
{
    QTest::addColumn<double>("value");
    for (const double v : {3.0, -0.5, 1.0 / 3, 2.0 / 3, 1e15, 1.5e-5, 123.456, -9.87654321e-200,
                           1.5e308, factorial170(), 4.9406564584124654e-324})
        QTest::addRow("%.17g", v) << v;
}

// The entry reader must read every display text back to the value it shows.
void TestNumText::readsDisplayFormBack()
{
    QFETCH(double, value);
    const QString text = yaoshi::displayForm(value);
    QCOMPARE(yaoshi::displayForm(yaoshi::readEntry(text)), text);
}

QTEST_GUILESS_MAIN(TestNumText)
#include "tst_numtext.moc"
