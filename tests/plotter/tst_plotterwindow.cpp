#include "core/numtext.h"
#include "plotter/window/plotpicture.h"
#include "plotter/window/plottermessages.h"
#include "plotter/window/plotterwindow.h"
#include "support/scriptedplatform.h"
#include "widgets/fittinglabel.h"

#include <QAccessible>
#include <QAction>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

// The display form of m / 5^k worked out by hand: m * 2^k / 10^k, or m * 5^-k digit by digit,
// rounded to `digits` significant digits, half to even.
QString exactText(int m, int k, int digits)
{
    std::string number = std::to_string(std::abs(m));
    int exponent = 0;
    if (k >= 0) {
        number = std::to_string(quint64(std::abs(m)) << k);
        exponent = -k;
    }
    for (int i = 0; i < -k; ++i) {
        int carry = 0;
        for (auto d = number.rbegin(); d != number.rend(); ++d) {
            const int v = (*d - '0') * 5 + carry;
            *d = char('0' + v % 10);
            carry = v / 10;
        }
        if (carry)
            number.insert(number.begin(), char('0' + carry));
    }
    if (int(number.size()) > digits) {
        const std::string rest = number.substr(digits);
        number.resize(digits);
        exponent += int(rest.size());
        const bool half = rest[0] == '5' && rest.find_first_not_of('0', 1) == std::string::npos;
        if (rest[0] > '5' || (rest[0] == '5' && !half) || (half && (number.back() - '0') % 2)) {
            number = std::to_string(std::stoull(number) + 1);
            if (int(number.size()) > digits) {
                number.pop_back();
                ++exponent;
            }
        }
    }
    number = (m < 0 ? "-" : "") + number + "e" + std::to_string(exponent);
    double value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value);
    return digits == 7 ? yaoshi::displayForm32(float(value)) : yaoshi::displayForm(value);
}

} // namespace

class TestPlotterWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void runDrawsTheDiagonal_data();
    void runDrawsTheDiagonal();
    void runDrawsTheEllipse();
    void crossingCurvesDrawSampleBySample();
    void emptiedBoxDropsItsCurve();
    void labelsFollowClicksAndClear();
    void labelsAreExactAtEveryZoom();
    void mouseClickZoomsAroundThePointer();
    void badBoxIsNamedOthersStillDraw_data();
    void badBoxIsNamedOthersStillDraw();
    void savedPictureReadsBack_data();
    void savedPictureReadsBack();
    void failedSaveSaysWhyAndKeepsTheFile_data();
    void failedSaveSaysWhyAndKeepsTheFile();
    void copiesToTheClipboard();
    void keysAndWheelDriveTheView_data();
    void keysAndWheelDriveTheView();
    void misleadingTokensMarkTheBox();
    void tabOrderAndFirstFocus();
    void returnKeepsTheView();
    void comesBackAsLaidOut();
    void everyControlStaysReachable_data();
    void everyControlStaysReachable();
    void drawsIntoTheSameImage();
    void pictureIsDescribed_data();
    void pictureIsDescribed();

private:
    template <typename T> T *child(const char *name) const
    {
        return m_window->findChild<T *>(QLatin1String(name));
    }
    PlotPicture *picture() const { return child<PlotPicture>("Picture1"); }
    void setBoxes(const QStringList &texts);
    void clickButton(const char *name)
    {
        QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton);
    }
    QStringList labels() const;
    void shownLabelsReadTrue() const;
    QString readout() const
    {
        return child<QLabel>("lbx")->text() + u'|' + child<QLabel>("Lby")->text();
    }
    QColor pixelAt(double x, double y) const;
    int countPixels(const QColor &colour) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<PlotterWindow> m_window;
    int m_calculatorShown = 0;
};

void TestPlotterWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_platform = std::make_unique<ScriptedPlatform>();
    m_calculatorShown = 0;
    m_window = std::make_unique<PlotterWindow>(
        *m_platform, WindowOpeners{[this] { ++m_calculatorShown; }, {}, {}});
    m_window->load();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestPlotterWindow::cleanup()
{
    QCOMPARE(m_platform->unexpected, QStringList());
    m_window.reset();
}

void TestPlotterWindow::setBoxes(const QStringList &texts)
{
    for (int i = 0; i < texts.size(); ++i)
        child<QLineEdit>(qPrintable(QStringLiteral("Text%1").arg(i + 1)))->setText(texts[i]);
}

QStringList TestPlotterWindow::labels() const
{
    QStringList texts;
    for (const char *name : {"Lbzjx", "Lbzjy", "lbyjx", "lbyjy", "Lbxs"})
        texts.append(child<QLabel>(name)->text());
    return texts;
}

// What a corner or zoom label draws fits it, and is its text or the text's start marked as cut,
// with the exponent whole: never another number.
void TestPlotterWindow::shownLabelsReadTrue() const
{
    for (const char *name : {"Lbzjx", "Lbzjy", "lbyjx", "lbyjy", "Lbxs"}) {
        const auto *label = dynamic_cast<const FittingLabel *>(child<QLabel>(name));
        QVERIFY(label);
        const QString text = label->text();
        const QString shown = label->shownText();
        QVERIFY2(QFontMetricsF(label->shownFont()).horizontalAdvance(shown) <=
                     label->contentsRect().width(),
                 qPrintable(shown));
        const qsizetype e = text.indexOf(u'E');
        const QString exponent = e < 0 ? QString() : text.mid(e);
        const qsizetype cut = shown.indexOf(u'…');
        QVERIFY2(shown == text || (cut > 0 && text.startsWith(shown.left(cut)) &&
                                   shown.mid(cut + 1) == exponent),
                 qPrintable(text + u'|' + shown));
    }
}

QColor TestPlotterWindow::pixelAt(double x, double y) const
{
    const QImage &image = picture()->image();
    const QPointF p = screenToPixel(QPointF(x, y), image.deviceIndependentSize());
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(qRound(p.x()) * ratio, qRound(p.y()) * ratio);
}

int TestPlotterWindow::countPixels(const QColor &colour) const
{
    const QImage image = picture()->image().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour;
    }
    return count;
}

void TestPlotterWindow::runDrawsTheDiagonal_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QColor>("absent");
    QTest::newRow("equation one") << QStringList{"x"} << kCurve1Colour << kCurve2Colour;
    // The other boxes' failure values fall outside the picture: nothing else shows.
    QTest::newRow("only equation two") << QStringList{"", "x"} << kCurve2Colour << kCurve1Colour;
}

void TestPlotterWindow::runDrawsTheDiagonal()
{
    QFETCH(QStringList, boxes);
    QFETCH(QColor, colour);
    QFETCH(QColor, absent);
    setBoxes(boxes);
    clickButton("Cdyx");
    for (int x = -150; x <= 150; ++x)
        QCOMPARE(pixelAt(x, x), colour);
    QCOMPARE(countPixels(colour), 301);
    QCOMPARE(countPixels(absent), 0);
    QCOMPARE(pixelAt(-150, 0), kAxisColour);
    QCOMPARE(pixelAt(0, 150), kAxisColour);
}

void TestPlotterWindow::runDrawsTheEllipse()
{
    setBoxes({"", "", "30 * sin x", "20 * cos x"});
    clickButton("Cdyx");
    for (int t = -150; t <= 150; ++t)
        QCOMPARE(pixelAt(30 * std::sin(t), 20 * std::cos(t)), kCurve2Colour);
}

// The parametric pair (-t, -t) runs down the diagonal that equation one runs up: below the
// centre the pair's dot comes later and shows, above it equation one's dot does.
void TestPlotterWindow::crossingCurvesDrawSampleBySample()
{
    setBoxes({"x", "", "0 - x", "0 - x"});
    clickButton("Cdyx");
    for (int x = 1; x <= 150; ++x) {
        QCOMPARE(pixelAt(-x, -x), kCurve2Colour);
        QCOMPARE(pixelAt(x, x), kCurve1Colour);
    }
    QCOMPARE(pixelAt(0, 0), kCurve2Colour);
}

void TestPlotterWindow::emptiedBoxDropsItsCurve()
{
    setBoxes({"x", "1"});
    clickButton("Cdyx");
    setBoxes({""});
    clickButton("Cdyx");
    QCOMPARE(countPixels(kCurve1Colour), 0);
    QCOMPARE(pixelAt(20, 1), kCurve2Colour);
}

void TestPlotterWindow::labelsFollowClicksAndClear()
{
    QCOMPARE(child<QLabel>("Lbxs")->text(), QStringLiteral("1"));
    clickButton("Cdyx");
    QCOMPARE(labels(), QStringList({"-150", " 150", " 150", "-150", " 1"}));
    m_window->pictureMouseMove(QPointF(75, -30));
    QCOMPARE(child<QLabel>("lbx")->text() + child<QLabel>("Lby")->text(), QStringLiteral(" 75-30"));
    m_window->pictureMouseDown(Qt::LeftButton, QPointF(50, 100));
    QCOMPARE(labels(), QStringList({" 20", " 130", " 80", " 70", " 5"}));
    m_window->pictureMouseMove(QPointF(75, -30));
    QCOMPARE(child<QLabel>("lbx")->text() + child<QLabel>("Lby")->text(), QStringLiteral(" 65 94"));
    m_window->pictureMouseDown(Qt::MiddleButton, QPointF(10, 10)); // does nothing
    m_window->pictureMouseDown(Qt::RightButton, QPointF(0, 0));
    QCOMPARE(labels(), QStringList({"-100", " 250", " 200", "-50", " 1"}));
    m_window->pictureMouseDown(Qt::RightButton, QPointF(0, 0));
    QCOMPARE(labels(), QStringList({"-700", " 850", " 800", "-650", " .2"}));
    m_window->pictureMouseDown(Qt::LeftButton, QPointF(0, 0));
    setBoxes({"x", "x", "x", "x"});
    clickButton("Cdyx");
    QCOMPARE(labels(), QStringList({"-100", " 250", " 200", "-50", " 1"}));

    clickButton("Cdqc");
    QCOMPARE(labels(), QStringList({"-150", " 150", " 150", "-150", " 1"}));
    QCOMPARE(child<QLineEdit>("Text1")->text() + child<QLineEdit>("Text4")->text(), QString());
    QCOMPARE(pixelAt(10, 10), kPictureBackground);
    QCOMPARE(pixelAt(0, 10), kAxisColour);
}

// Clicks at the centre walk the zoom through every power of 5 it can reach; the labels and the
// read-outs are those of exact arithmetic, where floats would give "-749.999988824129".
void TestPlotterWindow::labelsAreExactAtEveryZoom()
{
    clickButton("Cdyx");
    m_window->pictureMouseDown(Qt::RightButton, QPointF(0, 0));
    m_window->pictureMouseMove(QPointF(75, -30));
    QCOMPARE(labels(), QStringList({"-750", " 750", " 750", "-750", " .2"}));
    QCOMPARE(readout(), QStringLiteral(" 375|-150"));

    for (const bool in : {true, false}) {
        clickButton("Cdqc");
        for (int power = 0;; power += in ? 1 : -1) {
            const QStringList expected = {exactText(-150, power, 15), exactText(150, power, 15),
                                          exactText(150, power, 15), exactText(-150, power, 15),
                                          exactText(1, -power, 7)};
            QVERIFY2(labels() == expected,
                     qPrintable(QString::number(power) + u' ' + labels().join(u'|')));
            shownLabelsReadTrue();
            for (const QPoint at : {QPoint(75, -30), QPoint(121, 108)}) {
                m_window->pictureMouseMove(at);
                QCOMPARE(readout(),
                         exactText(at.x(), power, 15) + u'|' + exactText(at.y(), power, 15));
            }
            if (power == (in ? kMaxZoomPower : kMinZoomPower))
                break;
            m_window->pictureMouseDown(in ? Qt::LeftButton : Qt::RightButton, QPointF(0, 0));
        }
        // One more click is refused: nothing changes.
        const QStringList before = labels();
        m_window->pictureMouseDown(in ? Qt::LeftButton : Qt::RightButton, QPointF(0, 0));
        QCOMPARE(labels(), before);
    }
    QCOMPARE(labels().last(), QStringLiteral(" 1.80144E-38"));
}

void TestPlotterWindow::mouseClickZoomsAroundThePointer()
{
    setBoxes({"x"});
    clickButton("Cdyx");
    const QPointF at = screenToPixel(QPointF(50, 100), picture()->size());
    QMouseEvent press(QEvent::MouseButtonPress, at, picture()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(picture(), &press);
    QCOMPARE(child<QLabel>("Lbxs")->text(), QStringLiteral(" 5"));
    QVERIFY(qAbs(m_window->view().cenx - 50) < 1e-9 && qAbs(m_window->view().ceny - 100) < 1e-9);
    // y = x now runs at screen Y = X - 250; both axes lie outside the picture.
    QCOMPARE(pixelAt(120, -130), kCurve1Colour);
    QCOMPARE(pixelAt(0, 0), kPictureBackground);
}

void TestPlotterWindow::badBoxIsNamedOthersStillDraw_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("unbalanced") << QStringList{"x", "( ( x + 1", "", "( ( x"}
                                << QStringList{"提示: 方程二、参数方程二的括号不配对，无法画出。"
                                               "符号、数据之间要加入一个空格。"};
    QTest::newRow("empty group") << QStringList{"x", "( )", "", "( ( x"}
                                 << QStringList{"提示: 方程二的括号里没有内容，无法画出。"
                                                "参数方程二的括号不配对，无法画出。"
                                                "符号、数据之间要加入一个空格。"};
    QTest::newRow("too many groups")
        << QStringList{"x", "", "", QStringLiteral("( x ) ").repeated(999)}
        << QStringList{"提示: 参数方程二的括号太多，最多 998 对，无法画出。"
                       "符号、数据之间要加入一个空格。"};
    QTest::newRow("one character in parentheses") << QStringList{"(x)"} << QStringList();
    // Longer than a line edit takes by default: cut short it would read as unbalanced.
    QTest::newRow("balanced, long")
        << QStringList{"x", "", "", "( " + QString("x ").repeated(20000) + ")"} << QStringList();
}

// Each box that cannot be drawn is named with the reason; the others draw.
void TestPlotterWindow::badBoxIsNamedOthersStillDraw()
{
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, messages);
    setBoxes(boxes);
    clickButton("Cdyx");
    QCOMPARE(m_platform->messages, messages);
    QCOMPARE(pixelAt(20, 20), kCurve1Colour);
}

void TestPlotterWindow::savedPictureReadsBack_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("filter"); // 0 bmp, 1 ico, 2 png
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("bmp") << "plot.bmp" << 0 << QByteArray("bmp");
    QTest::newRow("ico choice writes a bitmap") << "plot.ico" << 1 << QByteArray("bmp");
    QTest::newRow("png by extension") << "plot.PNG" << 0 << QByteArray("png");
    QTest::newRow("png by filter") << "plot" << 2 << QByteArray("png");
    QTest::newRow("bitmap without extension") << "plot" << 0 << QByteArray("bmp");
    QTest::newRow("extension before filter") << "plot.bmp" << 2 << QByteArray("bmp");
}

void TestPlotterWindow::savedPictureReadsBack()
{
    QFETCH(QString, name);
    QFETCH(int, filter);
    QFETCH(QByteArray, format);
    setBoxes({"x"});
    clickButton("Cdyx");
    const QString path = m_dir->filePath(name);
    m_platform->saveNames.enqueue(path);
    m_platform->saveFilters.enqueue(filter);
    clickButton("Command1");
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QCOMPARE(reader.format(), format);
    const QImage saved = reader.read();
    QCOMPARE(saved.size(), picture()->image().size());
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32),
             picture()->image().convertToFormat(QImage::Format_RGB32));

    m_platform->saveNames.enqueue(QString()); // cancelled: nothing written, nothing said
    clickButton("Command1");
    QCOMPARE(m_platform->messages, QStringList());
}

void TestPlotterWindow::failedSaveSaysWhyAndKeepsTheFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << "missing/plot.bmp"
                                    << "No such file or directory";
    // An immutable folder refuses even root; others get no write permission. (A file already
    // there is written in place.)
    QTest::newRow("folder without write permission")
        << "locked/new.bmp"
        << QString::fromLocal8Bit(std::strerror(geteuid() == 0 ? EPERM : EACCES));
    // A file size limit makes the write fail half-way, as a full disk does.
    QTest::newRow("write fails") << "plot.bmp" << QString::fromLocal8Bit(std::strerror(EFBIG));
}

void TestPlotterWindow::failedSaveSaysWhyAndKeepsTheFile()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    const QString path = m_dir->filePath(name);
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("locked")));
    QFile old(path);
    const bool hasOld = !name.startsWith(u"missing") && !name.endsWith(u"new.bmp");
    if (hasOld) {
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the old picture");
        old.close();
    }
    const QString locked = m_dir->filePath(QStringLiteral("locked"));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (geteuid() == 0 && name.startsWith(u"locked") &&
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), locked}) != 0)
        QSKIP("this file system cannot make a folder immutable");

    setBoxes({"x"});
    clickButton("Cdyx");
    m_platform->saveNames.enqueue(path);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit saved = limit;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (name == u"plot.bmp") {
        limit.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    clickButton("Command1");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), locked});
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QCOMPARE(m_platform->messages,
             QStringList{QStringLiteral("提示: 无法保存图片“%1”：%2").arg(path, reason)});
    if (hasOld) {
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("the old picture"));
    }
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden),
             hasOld ? QStringList{"plot.bmp"} : QStringList());
}

void TestPlotterWindow::copiesToTheClipboard()
{
    setBoxes({"x"});
    clickButton("Cdyx");
    picture()->setFocus();
    QTest::keyClick(picture(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_platform->clipboardText, QString()); // no read-out yet: nothing copied
    QVERIFY(m_platform->clipboardImage.isNull());
    QTest::keyClick(picture(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(m_platform->clipboardImage, picture()->image());

    m_window->pictureMouseDown(Qt::RightButton, QPointF(0, 0));
    m_window->pictureMouseMove(QPointF(75, -30));
    QTest::keyClick(child<QPushButton>("Cdyx"), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_platform->clipboardText, QStringLiteral("375, -150"));

    // In an equation box Ctrl+C copies the box's own text, as everywhere.
    QLineEdit *box = child<QLineEdit>("Text1");
    box->selectAll();
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(m_platform->clipboardText, QStringLiteral("375, -150"));

    // A point under the crosshair or the pointer is copied to the last digit.
    setBoxes({"x ^ 2 - 2"});
    clickButton("Cdyx");
    QTest::keyClick(picture(), Qt::Key_N);
    QTest::keyClick(picture(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_platform->clipboardText,
             QStringLiteral("-1.4142135623730951, 4.440892098500626e-16"));
    m_window->pictureMouseMove(QPointF(1.6, 0.4));
    QTest::keyClick(picture(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_platform->clipboardText,
             QStringLiteral("1.414213562373095, -4.440892098500626e-16"));
    m_window->pictureMouseMove(QPointF(20, 0));
    QTest::keyClick(picture(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_platform->clipboardText, QStringLiteral("20, 0"));
}

// The curve is drawn as the text says; the box carries a warning until its text reads right.
void TestPlotterWindow::misleadingTokensMarkTheBox()
{
    setBoxes({"x", "", "", "Ln x"});
    clickButton("Cdyx");
    QLineEdit *box = child<QLineEdit>("Text4");
    QCOMPARE(box->actions().size(), 1);
    const QAction *warning = box->actions().front();
    QVERIFY(!warning->toolTip().isEmpty());
    QVERIFY(box->accessibleDescription().endsWith(warning->toolTip()));
    QVERIFY(child<QLineEdit>("Text1")->actions().isEmpty());
    QVERIFY(m_platform->messages.isEmpty());
    setBoxes({"x", "", "", "ln x"});
    clickButton("Cdyx");
    QVERIFY(box->actions().isEmpty());
    QCOMPARE(box->accessibleDescription(), "参数方程的纵坐标");
}

void TestPlotterWindow::keysAndWheelDriveTheView_data()
{
    // r l u d: crosshair by 1 (u and d with Shift: 10); + Return, - minus; N and n (Shift+N);
    // H Home; B Backspace; W and w the wheel in and out at (30, 0), X the wheel turned in two
    // halves of a step at the centre; E Return in equation one.
    QTest::addColumn<QString>("equation");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QString>("shown");
    const QStringList first{"-150", " 150", " 150", "-150", " 1"};
    QTest::newRow("arrows and Shift") << "x"
                                      << "rrul" << first << " 1| 10";
    QTest::newRow("Return at the crosshair")
        << "x"
        << "rru+" << QStringList{"-28", " 40", " 32", "-20", " 5"} << " 2| 10";
    QTest::newRow("minus") << "x"
                           << "-" << QStringList{"-750", " 750", " 750", "-750", " .2"} << " 0| 0";
    QTest::newRow("next point, exact")
        << "x ^ 2 - 2"
        << "N" << first << "-1.4142135623730951| 4.440892098500626e-16";
    QTest::newRow("previous point wraps round")
        << "x ^ 2 - 2"
        << "n" << first << " 1.414213562373095|-4.440892098500626e-16";
    QTest::newRow("Home keeps the equations")
        << "x ^ 2 - 2"
        << "rru+HN" << first << "-1.4142135623730951| 4.440892098500626e-16";
    QTest::newRow("Backspace") << "x"
                               << "++B" << QStringList{"-30", " 30", " 30", "-30", " 5"} << " 0| 0";
    QTest::newRow("Backspace after Run") << "x"
                                         << "+EB" << first << " 0| 0";
    QTest::newRow("wheel in about the pointer")
        << "x"
        << "W" << QStringList{"-6", " 30", " 54", "-30", " 5"} << "|";
    QTest::newRow("wheel out about the pointer")
        << "x"
        << "w" << QStringList{"-870", " 750", " 630", "-750", " .2"} << "|";
    QTest::newRow("wheel event") << "x"
                                 << "X" << QStringList{"-30", " 30", " 30", "-30", " 5"} << "|";
    // Around x = 2 the 22nd zoom is refused, with a note on the picture.
    QTest::newRow("past the precision of doubles")
        << "x"
        << "rr" + QString(22, u'+') << QStringList{"?"} << " 2| 0";
}

void TestPlotterWindow::keysAndWheelDriveTheView()
{
    QFETCH(QString, equation);
    QFETCH(QString, keys);
    QFETCH(QStringList, labels);
    QFETCH(QString, shown);
    setBoxes({equation});
    clickButton("Cdyx");
    picture()->setFocus();
    const auto wheel = [this](int delta) {
        const QPointF at = screenToPixel(QPointF(0, 0), picture()->size());
        QWheelEvent event(at, picture()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(picture(), &event);
    };
    for (const QChar key : keys) {
        switch (key.toLatin1()) {
        case 'r':
            QTest::keyClick(picture(), Qt::Key_Right);
            break;
        case 'l':
            QTest::keyClick(picture(), Qt::Key_Left);
            break;
        case 'u':
            QTest::keyClick(picture(), Qt::Key_Up, Qt::ShiftModifier);
            break;
        case 'd':
            QTest::keyClick(picture(), Qt::Key_Down, Qt::ShiftModifier);
            break;
        case '+':
            QTest::keyClick(picture(), Qt::Key_Return);
            break;
        case '-':
            QTest::keyClick(picture(), Qt::Key_Minus);
            break;
        case 'N':
            QTest::keyClick(picture(), Qt::Key_N);
            break;
        case 'n':
            QTest::keyClick(picture(), Qt::Key_N, Qt::ShiftModifier);
            break;
        case 'H':
            QTest::keyClick(picture(), Qt::Key_Home);
            break;
        case 'B':
            QTest::keyClick(picture(), Qt::Key_Backspace);
            break;
        case 'W':
            m_window->pictureWheel(QPointF(30, 0), true);
            break;
        case 'w':
            m_window->pictureWheel(QPointF(30, 0), false);
            break;
        case 'X':
            wheel(60);
            wheel(60);
            break;
        case 'E':
            QTest::keyClick(child<QLineEdit>("Text1"), Qt::Key_Return);
            break;
        }
    }
    if (labels == QStringList{"?"}) {
        QCOMPARE(this->labels().last(), " 4.768372E+14"); // 5^21
        QCOMPARE(picture()->overlay().note, plottermessages::beyondPrecision());
    } else {
        QCOMPARE(this->labels(), labels);
        QVERIFY(picture()->overlay().note.isEmpty());
    }
    QCOMPARE(readout(), shown);
}

void TestPlotterWindow::tabOrderAndFirstFocus()
{
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QStringList order;
    for (int i = 0; i < 10; ++i) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        order.append(focus->objectName());
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(order, QStringList({"Text1", "Text2", "Cdyx", "Cdqc", "Picture1", "Text3", "Text4",
                                 "Command1", "Command2", "Text1"}));
}

void TestPlotterWindow::returnKeepsTheView()
{
    setBoxes({"x"});
    clickButton("Cdyx");
    m_window->pictureMouseDown(Qt::LeftButton, QPointF(10, 10));
    m_window->resize(200, 200);
    clickButton("Command2");
    QCOMPARE(m_calculatorShown, 1);
    QVERIFY(!m_window->isVisible());
    m_window->load();
    QCOMPARE(child<QLineEdit>("Text1")->text(), QString());
    QCOMPARE(pixelAt(0, 0), kPictureBackground);
    // The equations were kept: the next zoom draws them again around the kept centre.
    m_window->pictureMouseDown(Qt::RightButton, QPointF(0, 0));
    QCOMPARE(labels(), QStringList({"-140", " 160", " 160", "-140", " 1"}));
    QCOMPARE(pixelAt(-10, -10), kCurve1Colour);
}

// Closed small, the window comes back with the laid-out size, place and controls; the surface
// that holds the controls follows the window when it grows.
void TestPlotterWindow::comesBackAsLaidOut()
{
    const QRect laidOut = m_window->geometry();
    QCOMPARE(laidOut.size(), PlotterWindow::kLaidOutSize);
    m_window->setGeometry(QRect(laidOut.topLeft() + QPoint(40, 40), QSize(200, 200)));
    clickButton("Command2");
    m_window->load();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(m_window->geometry(), laidOut);
    QCOMPARE(child<QPushButton>("Cdyx")->geometry(), QRect(8, 328, 73, 25));
    auto *area = child<QScrollArea>("controlsArea");
    QVERIFY(!area->horizontalScrollBar()->isVisible() && !area->verticalScrollBar()->isVisible());
    m_window->resize(800, 700);
    QTRY_COMPARE(child<QWidget>("controls")->size(), QSize(800, 700));
    QCOMPARE(child<QPushButton>("Cdyx")->geometry(), QRect(8, 328, 73, 25));
}

void TestPlotterWindow::everyControlStaysReachable_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("200 x 200") << QSize(200, 200);
    QTest::newRow("narrow") << QSize(120, 700);
    QTest::newRow("flat") << QSize(700, 90);
}

void TestPlotterWindow::everyControlStaysReachable()
{
    QFETCH(QSize, size);
    m_window->resize(size);
    auto *area = child<QScrollArea>("controlsArea");
    QTRY_COMPARE(area->size(), size);
    // Scroll bars where the controls do not fit.
    QTRY_COMPARE(area->horizontalScrollBar()->isVisible(), size.width() < 453);
    QTRY_COMPARE(area->verticalScrollBar()->isVisible(), size.height() < 544);
    const QList<QWidget *> controls =
        child<QWidget>("controls")->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QCOMPARE(controls.size(), 25);
    QWidget *viewport = area->viewport();
    for (QWidget *control : controls) {
        const QRect at = control->geometry();
        area->ensureVisible(at.right() + 1, at.bottom() + 1, 0, 0);
        area->ensureVisible(at.left(), at.top(), 0, 0);
        const QRect shown(control->mapTo(viewport, QPoint(0, 0)), control->size());
        const bool fits = at.width() <= viewport->width() && at.height() <= viewport->height();
        QVERIFY2(fits ? viewport->rect().contains(shown) : viewport->rect().intersects(shown),
                 qPrintable(control->objectName()));
    }
}

// At a fractional scale the picture's image is made once per size, not once per redraw: the
// image keeps its serial number (the upper half of its cache key) from one redraw to the next.
void TestPlotterWindow::drawsIntoTheSameImage()
{
    setBoxes({"x"});
    clickButton("Cdyx");
    const auto serial = [this] { return picture()->image().cacheKey() >> 32; };
    const qint64 first = serial();
    QCOMPARE(picture()->image().size(), picture()->size() * picture()->devicePixelRatioF());
    m_window->pictureMouseDown(Qt::LeftButton, QPointF(0, 0));
    QCOMPARE(serial(), first);
    clickButton("Cdyx");
    QCOMPARE(serial(), first);
    QCOMPARE(pixelAt(10, 10), kCurve1Colour);
}

void TestPlotterWindow::pictureIsDescribed_data()
{
    QTest::addColumn<QStringList>("boxes");
    // R run, Z zoom in at (50, 100), O zoom out, C clear, N next point, U crosshair up 10
    QTest::addColumn<QString>("then");
    QTest::addColumn<QString>("description");
    QTest::newRow("nothing drawn yet: the tooltip") << QStringList() << ""
                                                    << "左键放大,右键缩小";
    QTest::newRow("two curves") << QStringList{"x ^ 2", "2 - x"} << "R"
                                << "方程一 y = x ^ 2；方程二 y = 2 - x。方程一与x轴交于 x = 0；"
                                   "两曲线交于 (-2, 4) 和 (1, 1)；方程二与x轴交于 x = 2。"
                                   "中心 (0, 0)，放大系数 1";
    QTest::newRow("turning points") << QStringList{"x ^ 2 - 2"} << "R"
                                    << "方程一 y = x ^ 2 - 2。方程一与x轴交于 x = "
                                       "-1.4142135623730951 和 1.414213562373095；"
                                       "方程一的极小值 (0, -2)。中心 (0, 0)，放大系数 1";
    QTest::newRow("crosshair on a point") << QStringList{"( x + 20 ) ^ 2"} << "RN"
                                          << "方程一的根 x = -20。方程一 y = ( x + 20 ) ^ 2。"
                                             "方程一与x轴交于 x = -20。中心 (0, 0)，放大系数 1";
    QTest::newRow("crosshair off it again") << QStringList{"( x + 20 ) ^ 2"} << "RNU"
                                            << "方程一 y = ( x + 20 ) ^ 2。"
                                               "方程一与x轴交于 x = -20。中心 (0, 0)，放大系数 1";
    QTest::newRow("parametric pair") << QStringList{"", "", "30 * sin x", "20 * cos x"} << "R"
                                     << "参数方程 x = 30 * sin x，y = 20 * cos x。中心 (0, 0)，"
                                        "放大系数 1";
    QTest::newRow("half a pair draws nothing") << QStringList{"", "", "x"} << "R"
                                               << "没有曲线。中心 (0, 0)，放大系数 1";
    QTest::newRow("a box that cannot be drawn is left out")
        << QStringList{"( ( x", "x"} << "R"
        << "方程二 y = x。方程二与x轴交于 x = 0。中心 (0, 0)，放大系数 1";
    QTest::newRow("zoom in") << QStringList{"x"} << "RZ"
                             << "方程一 y = x。中心 (50, 100)，放大系数 5";
    QTest::newRow("zoom out") << QStringList{"x"} << "RO"
                              << "方程一 y = x。方程一与x轴交于 x = 0。中心 (0, 0)，放大系数 .2";
    QTest::newRow("what was drawn, not what is typed")
        << QStringList{"x"} << "RTZ"
        << "方程一 y = x。中心 (50, 100)，放大系数 5";
    QTest::newRow("clear") << QStringList{"x"} << "RC"
                           << "没有曲线。中心 (0, 0)，放大系数 1";
}

void TestPlotterWindow::pictureIsDescribed()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, then);
    QFETCH(QString, description);
    setBoxes(boxes);
    for (const QChar step : then) {
        switch (step.toLatin1()) {
        case 'R':
            clickButton("Cdyx");
            break;
        case 'Z':
            m_window->pictureMouseDown(Qt::LeftButton, QPointF(50, 100));
            break;
        case 'O':
            m_window->pictureMouseDown(Qt::RightButton, QPointF(0, 0));
            break;
        case 'T':
            setBoxes({"2 * x"});
            break;
        case 'C':
            clickButton("Cdqc");
            break;
        case 'N':
            QTest::keyClick(picture(), Qt::Key_N);
            break;
        case 'U':
            QTest::keyClick(picture(), Qt::Key_Up, Qt::ShiftModifier);
            break;
        }
    }
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(picture());
    QCOMPARE(iface->role(), QAccessible::Graphic);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("函数图像"));
    QCOMPARE(iface->text(QAccessible::Description), description);
    m_platform->messages.clear();
}

QTEST_MAIN(TestPlotterWindow)
#include "tst_plotterwindow.moc"
