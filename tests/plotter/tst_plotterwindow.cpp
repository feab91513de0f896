#include "plotter/plotpicture.h"
#include "plotter/plotterwindow.h"
#include "support/scriptedplatform.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestPlotterWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void runDrawsTheDiagonal();
    void runDrawsTheEllipse();
    void labelsFollowClicksAndClear();
    void mouseClickZoomsAroundThePointer();
    void badBoxIsNamedOthersStillDraw();
    void savedPictureReadsBack();
    void returnKeepsTheView();

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
    QColor pixelAt(double x, double y) const;

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

QColor TestPlotterWindow::pixelAt(double x, double y) const
{
    const QImage &image = picture()->image();
    const QPointF p = screenToPixel(QPointF(x, y), image.deviceIndependentSize());
    return image.pixelColor(qRound(p.x()), qRound(p.y()));
}

void TestPlotterWindow::runDrawsTheDiagonal()
{
    setBoxes({"x"});
    clickButton("Cdyx");
    for (int x = -150; x <= 150; ++x)
        QCOMPARE(pixelAt(x, x), kCurve1Colour);
    const QImage image = picture()->image().convertToFormat(QImage::Format_RGB32);
    int dots = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            dots += image.pixelColor(x, y) == kCurve1Colour;
    }
    QCOMPARE(dots, 301);
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
    setBoxes({"x", "x", "x", "x"});
    clickButton("Cdyx");
    QCOMPARE(labels(), QStringList({"-100", " 250", " 200", "-50", " 1"}));

    clickButton("Cdqc");
    QCOMPARE(labels(), QStringList({"-150", " 150", " 150", "-150", " 1"}));
    QCOMPARE(child<QLineEdit>("Text1")->text() + child<QLineEdit>("Text4")->text(), QString());
    QCOMPARE(pixelAt(10, 10), kPictureBackground);
    QCOMPARE(pixelAt(0, 10), kAxisColour);
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

void TestPlotterWindow::badBoxIsNamedOthersStillDraw()
{
    setBoxes({"x", "( )", "", "( ( x"});
    clickButton("Cdyx");
    QCOMPARE(m_platform->messages,
             QStringList{
                 "提示: 方程二、参数方程二的括号不配对，无法画出。符号、数据之间要加入一个空格。"});
    QCOMPARE(pixelAt(20, 20), kCurve1Colour);
}

void TestPlotterWindow::savedPictureReadsBack()
{
    setBoxes({"x"});
    clickButton("Cdyx");
    const QString path = m_dir->filePath("plot.ico");
    m_platform->saveNames.enqueue(path);
    clickButton("Command1");
    QImage saved(path, "BMP");
    QCOMPARE(saved.size(), picture()->image().size());
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32),
             picture()->image().convertToFormat(QImage::Format_RGB32));

    m_platform->saveNames.enqueue(QString()); // cancelled: nothing written, nothing said
    clickButton("Command1");
    m_platform->saveNames.enqueue(m_dir->filePath("missing/plot.bmp"));
    clickButton("Command1");
    QCOMPARE(m_platform->messages.size(), 1);
    QVERIFY(m_platform->messages[0].startsWith("提示: 无法保存图片"));
}

void TestPlotterWindow::returnKeepsTheView()
{
    setBoxes({"x"});
    clickButton("Cdyx");
    m_window->pictureMouseDown(Qt::LeftButton, QPointF(10, 10));
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

QTEST_MAIN(TestPlotterWindow)
#include "tst_plotterwindow.moc"
