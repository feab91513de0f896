#include "calculator/engine/staterecord.h"
#include "help/helpwindow.h"
#include "widgets/longlineedit.h"
#include "widgets/plaintextbox.h"
#include "windowfixture.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QClipboard>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyleOptionButton>
#include <QTextBlock>

// The window as a user works it: buttons, keys and focus, pasting, printing, help.
class TestCalculatorWindow : public QObject, WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { startWindow(); }
    void cleanup() { finishWindow(); }
    void buttons();
    void keys_data();
    void keys();
    void editingModeKeepsKeysInTheDisplay();
    void keysYouCanSee_data();
    void keysYouCanSee();
    void savedTextIsTheShownText_data();
    void savedTextIsTheShownText();
    void editsInALongLine_data();
    void editsInALongLine();
    void pasteTakesOnlyText_data();
    void pasteTakesOnlyText();
    void faultIsReported();
    void prints_data();
    void prints();
    void helpOpensTheHelpWindow();
    void fitsALargeSystemFont();

private:
    // Opens a document of `shown` saved as `name` in the temporary folder.
    void openText(const QString &shown, const char *name)
    {
        CalcState s;
        s.snaptext = shown;
        s.stepcount = 1;
        QFile doc(file(name));
        QVERIFY(doc.open(QIODevice::WriteOnly));
        doc.write(staterecord::write(s, 1));
        doc.close();
        open(file(name));
    }
};

void TestCalculatorWindow::buttons()
{
    QCOMPARE(focusName(), QStringLiteral("N"));
    click("N", 1);
    click("ji", 5);
    click("lk");
    click("N", 2);
    click("ji", 10);
    click("Cd1");
    click("rk");
    click("mi");
    click("N", 2);
    click("den");
    QCOMPARE(text(), QStringLiteral(" 1+(2*π)^2= 40.4784176043574\n "));
    click("hs", 44);
    click("N", 1);
    click("jc");
    click("ji", 11);
    click("N", 5);
    // Back to the division, without the 5.
    click("Cd3");
    QCOMPARE(text(), QStringLiteral(" 1+(2*π)^2= 40.4784176043574\n atn1!/"));
    click("N", 2);
    click("den");
    QCOMPARE(text(), QStringLiteral(" 1+(2*π)^2= 40.4784176043574\n atn1!/2= .392699081698724\n "));
}

void TestCalculatorWindow::keys_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QStringList>("dialogs"); // shown and left unanswered
    const auto row = [](const char *name, const char *keys, const char *shown,
                        const char *focus = "N", const QStringList &dialogs = {}) {
        QTest::newRow(name) << QString::fromUtf8(keys) << QString::fromUtf8(shown)
                            << QString::fromLatin1(focus) << dialogs;
    };
    row("shift equals is plus", "1 + 2 =", " 1+2= 3\n ");
    row("shifted digits", "2 * ( 3 K-+ 4 ) =", " 2*(3+4)= 14\n ");
    row("US symbols", "2 * ( 3 - 1 ) ^ 2 !", " 2*(3-1)^2!");
    row("keypad", "K-9 K-/ K-3 K-* K-2 K-- K-1 K-. 5 =", " 9/3*2-1.5= 4.5\n ");
    row("ctrl digit counts, shift digit does not", "C-5 %", " 5");
    row("letters", "s c l L a p e A S", " sincoslgLnatnπe");
    row("alt letters count once", "A-c A-l A-1", " coslg1");
    // Save, Save As, Print and Exit, whose letters are also sin, atn, π and e.
    row("menu access keys only choose their entries", "1 A-s A-a A-p A-e", " 1", "N",
        {"save dialog (*.txt)|*.txt", "save dialog (*.txt)|*.txt", "printer dialog",
         "提示: 你要保存文件吗？"});
    row("main point and slash", "7 . 5 . / 2 . =", " 7.5/2.= 3.75\n ");
    row("up steps back", "1 + 2 + 3 Up", " 1+2+");
    row("other keys do nothing", "x Return Enter F1 Down", " ");
    // Keys that press a button never reach the focused control as well.
    row("display focused without a click", "S-Tab S-Tab S-Tab 2 + 3 =", " 2+3= 5\n ", "Text1");
    row("up keeps the focus", "S-Tab S-Tab Up 7", " 7", "Cd4");
    row("tab, then up, as the tooltip says", "1 + 2 + Click C-End x Tab Up 5 =", " 1+2+5= 8\n ",
        "Cd4");
    row("unlisted keys edit the focused display", "S-Tab S-Tab S-Tab x 1", "x 1", "Text1");
}

void TestCalculatorWindow::keys()
{
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(QString, focus);
    QFETCH(QStringList, dialogs);
    type(keys);
    QCOMPARE(text(), shown);
    QCOMPARE(focusName(), focus);
    QCOMPARE(std::exchange(m_platform->unexpected, {}), dialogs);
}

void TestCalculatorWindow::editingModeKeepsKeysInTheDisplay()
{
    const auto caretShown = [this] { return display()->cursorWidth() > 0; };
    // A click enters editing mode; so does F2, from a button, with the caret at the end.
    type(QStringLiteral("1 + Click C-Home"));
    QVERIFY(!m_window->calculationMode());
    type(QStringLiteral("Tab F2"));
    QVERIFY(!m_window->calculationMode());
    QVERIFY(caretShown());
    QVERIFY(display()->accessibleDescription().startsWith(QStringLiteral("输入文字状态")));
    type(QStringLiteral("9 x Up"));
    QCOMPARE(text(), QStringLiteral(" 1+9x"));
    QCOMPARE(state().numlen, 0);
    // Tab leaves the display for "到计算状态", which turns calculation back on.
    type(QStringLiteral("Tab"));
    QCOMPARE(focusName(), QStringLiteral("Cd4"));
    QVERIFY(m_window->calculationMode());
    QVERIFY(!caretShown());
    type(QStringLiteral("2 ="));
    QCOMPARE(text(), QStringLiteral(" 1+9x2= 3\n "));
}

void TestCalculatorWindow::keysYouCanSee_data()
{
    // Ctrl+ and Ctrl- press and release Ctrl alone, Shift+ presses Shift with it, Hold waits
    // longer than half a second, Wait less; anything else goes to type().
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("hints");
    QTest::addColumn<QString>("shown");
    const auto row = [](const char *name, const char *steps, bool hints, const char *shown) {
        QTest::newRow(name) << QString::fromLatin1(steps) << hints << QString::fromUtf8(shown);
    };
    row("held", "Ctrl+ Hold", true, " ");
    row("let go", "Ctrl+ Hold Ctrl-", false, " ");
    row("let go too soon", "Ctrl+ Wait Ctrl- Hold", false, " ");
    row("ctrl with a digit counts and shows nothing", "Ctrl+ C-5 Hold", false, " 5");
    row("a digit while they show counts and hides them", "Ctrl+ Hold C-5", false, " 5");
    row("another modifier", "Ctrl+ Hold Shift+", false, " ");
    row("a click", "Ctrl+ Hold Click", false, " ");
    row("editing mode shows none", "Click Ctrl+ Hold", false, " ");
    row("again after tab", "Click Tab Ctrl+ Hold", true, " ");
}

// Holding Ctrl alone shows each keypad button's key, as the key table reads it.
void TestCalculatorWindow::keysYouCanSee()
{
    QFETCH(QString, steps);
    QFETCH(bool, hints);
    QFETCH(QString, shown);
    struct Button {
        const char *name;
        int index;
        const char16_t *caption, *key;
    };
    static const Button kButtons[] = {
        {"N", 0, u"0", u"0"},
        {"N", 7, u"7", u"7"},
        {"dian", -1, u".点", u"."},
        {"ji", 5, u"+", u"+"},
        {"ji", 10, u"*", u"*"},
        {"den", -1, u"=", u"="},
        {"hs", 40, u"sin", u"s"},
        {"hs", 42, u"lg", u"l"},
        {"hs", 43, u"Ln", u"L"},
        {"hs", 44, u"atn", u"a"},
        {"lk", -1, u"(", u"("},
        {"rk", -1, u")", u")"},
        {"mi", -1, u"^幂", u"^"},
        {"jc", -1, u"n!", u"!"},
        {"Cd1", -1, u"π", u"p"},
        {"Cd2", -1, u"e", u"e"},
        {"Cd3", -1, u"上一步", u"↑"},
        {"Cd4", -1, u"到计算状态", u"到计算状态"}, // no key presses it
    };
    for (const QString &step : steps.split(u' ')) {
        if (step == u"Ctrl+")
            QTest::keyPress(QApplication::focusWidget(), Qt::Key_Control, Qt::ControlModifier);
        else if (step == u"Shift+")
            QTest::keyPress(QApplication::focusWidget(), Qt::Key_Shift,
                            Qt::ControlModifier | Qt::ShiftModifier);
        else if (step == u"Ctrl-")
            QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Control);
        else if (step == u"Hold" || step == u"Wait")
            QTest::qWait(step == u"Hold" ? 600 : 100);
        else
            type(step);
    }
    QStringList expected, captions;
    for (const Button &b : kButtons) {
        QAbstractButton *button =
            b.index < 0
                ? m_window->findChild<QPushButton *>(QLatin1String(b.name))
                : m_window->findChild<QButtonGroup *>(QLatin1String(b.name))->button(b.index);
        captions.append(button->text());
        expected.append(QString::fromUtf16(hints ? b.key : b.caption));
        // A screen reader hears the same name either way.
        QVERIFY(!button->accessibleName().isEmpty());
    }
    QCOMPARE(captions, expected);
    QCOMPARE(text(), shown);
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Control);
}

// The display keeps the text the records take up to date with the box, through appends, edits,
// undo and going back; going back to a start of the text cuts the rest off, and leaves nothing
// to undo, as setting the text whole does.
void TestCalculatorWindow::savedTextIsTheShownText_data()
{
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    const auto row = [](const char *name, const char *opened, const char *keys, const char *shown) {
        QTest::newRow(name) << QString::fromUtf8(opened) << QString::fromUtf8(keys)
                            << QString::fromUtf8(shown);
    };
    row("typed at the end", "", "1 + 2 Click End 9 x", " 1+29x");
    row("new line and delete inside", "", "1 + 2 = 3 Click C-Home Right Right Return Del x",
        " 1\nx2= 3\n 3");
    row("selection over a line break replaced", "", "1 = 2 = Click C-Home S-Down S-End z", "z\n ");
    // Typing joins the appends before it in one step of the box's undo.
    row("typing undone", "", "1 + 2 Click End x y C-z", " ");
    row("undone and redone", "", "1 + 2 Click End x Return y C-z C-z C-S-z", " 1+2x\n");
    row("up cuts what came after the step", "", "1 + 2 + Click End 7 Tab 3 Up", " 1+2+");
    row("up after the step's text changed", "", "1 + 2 + Click C-Home Del Tab 3 Up", " 1+2+");
    row("up over a finished line", "", "1 + 2 = Up", " 1+2");
    row("line separator typed", "", "1 + Click End S-Return 5 Tab 2 + Up", " 1+\n52+");
    row("opened with bare line ends and a no-break space", "a\nb\rc\u00a0d\r\n",
        "Click C-End e Tab 1 + Up", "a\nb\nc d\ne1+");
}

void TestCalculatorWindow::savedTextIsTheShownText()
{
    QFETCH(QString, opened);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    if (!opened.isEmpty())
        openText(opened, "opened.txt");
    type(keys);
    QCOMPARE(text(), shown);
    if (keys.endsWith(QLatin1String("Up")))
        QVERIFY(!display()->document()->isUndoAvailable());

    saveAs(file("saved.txt"));
    QFile saved(file("saved.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    CalcState s;
    QVERIFY(staterecord::read(saved.readAll(), s).ok());
    QCOMPARE(s.snaptext, text().replace(u'\n', QLatin1String("\r\n")));
}

void TestCalculatorWindow::editsInALongLine_data()
{
    // Where the caret is put first: at the start of the line's last piece or at the end of the
    // piece before it, one place in the text; or (empty) where the keys put it.
    QTest::addColumn<QString>("at");
    QTest::addColumn<QString>("keys");
    // What the keys add at the end, for the rows without a place. The rows with one are compared
    // with the same keys in the line held whole.
    QTest::addColumn<QString>("added");
    // The line ends in a letter of a right-to-left script, which sets the direction of it all.
    QTest::addColumn<bool>("rightToLeft");
    // The line is long enough to be cut where it wraps only after Open, from the event loop.
    QTest::addColumn<bool>("cutLater");
    const auto row = [](const char *name, const char *at, const char *keys, const char *added = "",
                        bool rightToLeft = false, bool cutLater = false) {
        QTest::newRow(name) << QString::fromLatin1(at) << QString::fromLatin1(keys)
                            << QString::fromLatin1(added) << rightToLeft << cutLater;
    };
    row("as opened", "", "");
    row("typed at the end", "", "Click C-End 1 2 Backspace 3", "13");
    row("keys at the end, then up", "", "1 + 2 + 3 Up", "1+2+");
    row("equals, then up", "", "1 + 2 = Up", "1+2");
    row("backspace at a piece's start", "start", "Backspace");
    row("delete at a piece's end", "end", "Del");
    row("left, then a letter", "start", "Left x");
    row("right, then a letter", "end", "Right x");
    row("end of the line above", "start", "Up End Q");
    row("end of the line above, selected and copied", "start", "Up Home S-End C-c C-End C-v");
    row("return", "start", "Return");
    row("words over the break", "start",
        "Up End C-Left C-Right C-Right Q C-Left C-Left C-Backspace");
    row("words selected, copied and deleted over the break", "start",
        "C-S-Left C-S-Left C-c Right C-Del C-End C-v");
    row("selection over the break replaced", "start", "S-Left z");
    row("deletion over the break undone", "start", "S-Left S-Left Del C-z");
    row("copied over the break", "end", "S-Right S-Right C-c Right C-v");
    row("all replaced, undone and redone", "start", "C-a x C-z C-S-z");
    row("all replaced and undone", "start", "C-a x C-z");
    // Three clicks on the caret select its paragraph.
    row("line selected with three clicks and copied", "start", "Triple C-c C-End C-v");
    row("number the break cuts selected with two clicks", "start", "Double C-c C-End C-v");
    row("two clicks after the break", "start", "Right Right Double");
    row("two clicks before the break", "start", "Left Left Double");
    row("line with a line after it selected with three clicks and copied", "start",
        "C-End Return x Up Triple C-c C-End C-v");
    row("typed at the end and undone", "start",
        "C-End a b c Backspace Backspace Backspace Backspace Backspace C-z");
    row("last piece deleted and undone", "start", "C-S-End Del C-z");
    row("right to left, as opened", "", "", "", true);
    row("cut after Open", "", "", "", false, true);
    row("cut after Open, typed at the end", "", "Click C-End 1 2 Backspace 3", "13", false, true);
    row("cut after Open, backspace at a piece's start", "start", "Backspace", "", false, true);
    row("cut after Open, right to left", "", "", "", true, true);
    row("right to left, typed at the end", "", "Click C-End 1 2 Backspace 3", "13", true);
    row("right to left, backspace at a piece's start", "start", "Backspace", "", true);
    row("right to left, its letter deleted", "start", "C-End Backspace 4", "", true);
    row("right to left, its letter deleted and undone", "start", "C-End Backspace C-z", "", true);
}

// A line long enough to be held in pieces reads, saves, wraps and takes keys as the one line it
// is.
void TestCalculatorWindow::editsInALongLine()
{
    QFETCH(QString, at);
    QFETCH(QString, keys);
    QFETCH(QString, added);
    QFETCH(bool, rightToLeft);
    QFETCH(bool, cutLater);
    CalcState s;
    while (s.snaptext.size() <
           (cutLater ? 3 * LongLineEdit::kAheadLength : 5 * LongLineEdit::kPieceLength))
        s.snaptext += QStringLiteral(" 12+34567890123456789*6-78.9/10");
    if (rightToLeft)
        s.snaptext += QChar(0x5d0);
    s.stepcount = 1;
    QFile doc(file("long.txt"));
    QVERIFY(doc.open(QIODevice::WriteOnly));
    doc.write(staterecord::write(s, 1));
    doc.close();
    const QString line = s.snaptext;
    // The box wraps anew at another width, which joins the pieces; only a change at the end cuts
    // them again.
    const auto joinPieces = [this] {
        display()->resize(display()->width() + 7, display()->height());
        display()->resize(display()->width() - 7, display()->height());
        QCoreApplication::processEvents();
    };
    // "Double" and "Triple" click twice or three times on the caret.
    const auto typeAt = [this, keys](int position) {
        if (position >= 0) {
            type(QStringLiteral("Click"));
            QTextCursor caret = display()->textCursor();
            caret.setPosition(position);
            display()->setTextCursor(caret);
        }
        QStringList typed;
        QStringList tokens = keys.split(u' ', Qt::SkipEmptyParts);
        tokens.append(QString());
        for (const QString &token : std::as_const(tokens)) {
            if (token != u"Double" && token != u"Triple" && !token.isEmpty()) {
                typed.append(token);
                continue;
            }
            type(typed.join(u' '));
            typed.clear();
            const QPoint caret = display()->cursorRect().center();
            if (!token.isEmpty())
                QTest::mouseDClick(display()->viewport(), Qt::LeftButton, {}, caret);
            if (token == u"Triple")
                QTest::mouseClick(display()->viewport(), Qt::LeftButton, {}, caret);
        }
        QCoreApplication::processEvents();
        // The text, and the text, caret and selection a screen reader gets, in places of the
        // line; where the view rests depends on how it got there, except with the caret at the
        // end.
        QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(display());
        QAccessibleTextInterface *readerText = reader->textInterface();
        int selectionStart = -1;
        int selectionEnd = -1;
        readerText->selection(0, &selectionStart, &selectionEnd);
        const QString shown = text();
        return std::pair(
            shown,
            QStringList{
                readerText->text(0, readerText->characterCount()) == shown
                    ? QStringLiteral("read as shown")
                    : readerText->text(0, readerText->characterCount()),
                QStringLiteral("caret %1").arg(readerText->cursorPosition()),
                QStringLiteral("direction %1").arg(display()->textCursor().block().textDirection()),
                QStringLiteral("selected %1 to %2").arg(selectionStart).arg(selectionEnd),
                QStringLiteral("scrolled %1")
                    .arg(display()->textCursor().atEnd() ? display()->verticalScrollBar()->value()
                                                         : -1)});
    };

    open(file("long.txt"));
    auto *box = qobject_cast<LongLineEdit *>(display());
    QCOMPARE(box->cuttingAhead(), cutLater);
    while (box->cuttingAhead())
        QCoreApplication::processEvents();
    QVERIFY(display()->document()->blockCount() > 2);
    // Scrolled to its end as the line held whole is, the margin below it in view.
    QCOMPARE(display()->verticalScrollBar()->value(), display()->verticalScrollBar()->maximum());
    const QTextBlock piece = display()->document()->lastBlock();
    QVERIFY(LongLineEdit::continuesLine(piece));
    const int place = piece.position() - (display()->document()->blockCount() - 1);
    // The break cuts a number, as two clicks on it find.
    QVERIFY(!keys.contains(u"Double") ||
            (piece.text().front().isDigit() && piece.previous().text().back().isDigit()));
    const auto [shown, seen] = typeAt(at.isEmpty()     ? -1
                                      : at == u"start" ? piece.position()
                                                       : piece.position() - 1);
    QCOMPARE(seen.front(), QStringLiteral("read as shown"));
    if (at.isEmpty())
        QCOMPARE(shown, line + added);
    saveAs(file("saved.txt"));
    QFile saved(file("saved.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(staterecord::read(saved.readAll(), s).ok());
    QCOMPARE(s.snaptext, QString(shown).replace(u'\n', QLatin1String("\r\n")));

    const auto shownLines = [this] {
        QStringList lines;
        QAbstractTextDocumentLayout *layout = display()->document()->documentLayout();
        for (QTextBlock b = display()->document()->begin(); b.isValid(); b = b.next()) {
            layout->blockBoundingRect(b);
            for (int i = 0; i < b.layout()->lineCount(); ++i) {
                const QTextLine l = b.layout()->lineAt(i);
                lines.append(QString::number(b.textDirection()) + u' ' +
                             b.text().mid(l.textStart(), l.textLength()));
            }
        }
        return lines;
    };
    const QStringList inPieces = shownLines();
    joinPieces();
    QCOMPARE(display()->document()->blockCount(), shown.count(u'\n') + 1);
    QCOMPARE(shownLines(), inPieces);

    if (!at.isEmpty()) {
        open(file("long.txt"));
        joinPieces();
        QCOMPARE(display()->document()->blockCount(), 1);
        const auto [wholeShown, wholeSeen] = typeAt(place);
        QCOMPARE(wholeShown, shown);
        QCOMPARE(wholeSeen, seen);
    }
}

void TestCalculatorWindow::pasteTakesOnlyText_data()
{
    QTest::addColumn<QString>("box"); // the calculator's display, or the help window's text
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("format"); // of what the clipboard holds; "none" for null
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("pasted");
    const auto row = [](const char *name, const char *box, const char *keys, const char *format,
                        const QByteArray &data, const char *pasted) {
        QTest::newRow(name) << QString::fromLatin1(box) << QString::fromLatin1(keys)
                            << QString::fromLatin1(format) << data << QString::fromUtf8(pasted);
    };
    row("nothing, ctrl+v", "display", "C-v", "", {}, "");
    row("nothing, shift+insert", "display", "S-Insert", "", {}, "");
    row("no offer at all", "display", "C-v", "none", {}, "");
    row("an image only", "display", "C-v", "image/png", "\x89PNG", "");
    row("html only", "display", "C-v", "text/html", "<b>bold</b>", "");
    row("empty text", "display", "C-v", "text/plain", "", "");
    row("text", "display", "C-v", "text/plain", "1+2 注", "1+2 注");
    row("text, shift+insert", "display", "S-Insert", "text/plain", "3", "3");
    row("help, nothing", "help", "C-v", "", {}, "");
    row("help, text", "help", "S-Insert", "text/plain", "abc", "abc");
}

void TestCalculatorWindow::pasteTakesOnlyText()
{
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, format);
    QFETCH(QByteArray, data);
    QFETCH(QString, pasted);
    QPlainTextEdit *target = display();
    HelpWindow help;
    if (box == u"help") {
        help.load();
        target = help.findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
        QVERIFY(QTest::qWaitForWindowActive(&help));
    } else {
        type(QStringLiteral("Click"));
    }
    target->moveCursor(QTextCursor::End);
    const QString before = target->toPlainText();
    QMimeData *offer = nullptr;
    if (format != u"none") {
        offer = new QMimeData;
        if (!format.isEmpty())
            offer->setData(format, data);
    }
    QGuiApplication::clipboard()->setMimeData(offer);
    QCOMPARE(QApplication::focusWidget(), target);
    type(keys);
    QCOMPARE(target->toPlainText(), before + pasted);

    // The same offers put to the box directly, where a drop would put them.
    auto *guarded = qobject_cast<PlainTextBox *>(target);
    QVERIFY(guarded);
    QCOMPARE(guarded->canInsertFromMimeData(offer), !pasted.isEmpty());
    guarded->insertFromMimeData(offer);
    QCOMPARE(target->toPlainText(), before + pasted + pasted);
}

void TestCalculatorWindow::faultIsReported()
{
    type(QStringLiteral("1 / 0 ="));
    QCOMPARE(m_platform->messages, QStringList{QStringLiteral("提示: 算式错误：除数为零")});
    QCOMPARE(text(), QStringLiteral(" 1/0"));
}

void TestCalculatorWindow::prints_data()
{
    QTest::addColumn<QString>("document"); // opened from a file of that text; typed when empty
    QTest::addColumn<int>("copies");       // -1: the printer dialog is cancelled
    QTest::addColumn<QString>("job");
    QTest::addColumn<QString>("message"); // printing into a folder that is not there
    QStringList lines;                    // 64, the 32nd of them 300 characters long
    for (int i = 1; i <= 64; ++i)
        lines << (i == 32 ? u' ' + QString(298, u'7') + u'='
                          : QStringLiteral(" %1*%1= %2").arg(i).arg(i * i));
    const QString doc = lines.join(QStringLiteral("\r\n"));
    const QString calc = QStringLiteral("曜石计算"), named = QStringLiteral("曜石 - doc.txt");
    QTest::newRow("cancelled") << QString() << -1 << calc << QString();
    QTest::newRow("three copies of a calculation") << QString() << 3 << calc << QString();
    QTest::newRow("a long line, twice") << doc << 2 << named << QString();
    QTest::newRow("pages over pages")
        << (doc + QStringLiteral("\r\n")).repeated(4) << 2 << named << QString();
    QTest::newRow("into a folder that is not there")
        << QString() << 1 << calc << QStringLiteral("提示: 无法打印：文件“%1”无法写入");
}

// The text goes to the printer as text: every line, wrapped at the page's width, over as many
// pages as it needs, the whole text once per copy, each page with a footer.
void TestCalculatorWindow::prints()
{
    QFETCH(QString, document);
    QFETCH(int, copies);
    QFETCH(QString, job);
    QFETCH(QString, message);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed: the printed text cannot be read back");
    if (document.isEmpty())
        type(QStringLiteral("1 + 2 ="));
    else
        openText(document, "doc.txt");
    const QString path = file(message.isEmpty() ? "out.pdf" : "missing/out.pdf");
    m_platform->pdfPath = path;
    // Every Print command prints.
    for (int run = 0; run < 2; ++run) {
        QFile::remove(path);
        m_platform->printerCopies.enqueue(copies < 0 ? std::nullopt : std::optional<int>(copies));
        trigger("nmuprint");
        QCOMPARE(m_platform->printJobName, job);
        QCOMPARE(std::exchange(m_platform->messages, {}),
                 message.isEmpty() ? QStringList() : QStringList(message.arg(path)));
        if (copies < 0 || !message.isEmpty()) {
            QVERIFY(!QFile::exists(path));
            continue;
        }
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"),
                        {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, "-"});
        QVERIFY(pdftotext.waitForFinished() && pdftotext.exitCode() == 0);
        const QStringList pages =
            QString::fromUtf8(pdftotext.readAllStandardOutput()).split(u'\f', Qt::SkipEmptyParts);
        const qsizetype perCopy = pages.size() / copies;
        QCOMPARE(pages.size(), perCopy * copies);
        // A page holds the 64 lines, and no page 256.
        QCOMPARE(perCopy > 1, text().count(u'\n') >= 256);
        // pdftotext breaks lines where they wrap and leaves out blanks at their ends.
        static const QRegularExpression blanks(QStringLiteral("\\s"));
        QString printed;
        for (qsizetype i = 0; i < pages.size(); ++i) {
            const QStringList lines = pages[i].split(u'\n', Qt::SkipEmptyParts);
            const QString numbers = QStringLiteral("第 %1 页，共 %2 页").arg(i % perCopy + 1);
            QCOMPARE(lines.mid(lines.size() - 2),
                     QStringList({document.isEmpty() ? job : "doc.txt", numbers.arg(perCopy)}));
            printed += lines.mid(0, lines.size() - 2).join(QString());
        }
        QCOMPARE(printed.remove(blanks), text().remove(blanks).repeated(copies));
    }
}

void TestCalculatorWindow::helpOpensTheHelpWindow()
{
    trigger("nmuf1");
    trigger("nmuf1");
    QCOMPARE(m_helpOpened, 2);
}

// At a 16 pt system font every menu entry shows on the bar, and every caption within its button.
void TestCalculatorWindow::fitsALargeSystemFont()
{
    const QFont system = QApplication::font();
    QFont large = system;
    large.setPointSizeF(16);
    QApplication::setFont(large);
    makeWindow(file("steps/"));
    QApplication::setFont(system);
    const QMenuBar *bar = m_window->menuBar();
    for (QAction *entry : bar->actions())
        QVERIFY2(bar->rect().contains(bar->actionGeometry(entry)), qPrintable(entry->text()));
    for (QPushButton *b : m_window->centralWidget()->findChildren<QPushButton *>()) {
        QStyleOptionButton o;
        o.initFrom(b);
        QVERIFY2(QFontMetrics(b->font()).horizontalAdvance(b->text()) <=
                     b->style()->subElementRect(QStyle::SE_PushButtonContents, &o, b).width(),
                 qPrintable(b->text()));
    }
}

QTEST_MAIN(TestCalculatorWindow)
#include "tst_calculatorwindow.moc"
