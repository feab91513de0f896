#pragma once

#include "calculator/window/calculatorwindow.h"
#include "support/scriptedplatform.h"
#include "widgets/longlineedit.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A calculator window of its own for each test, its dialogs answered by a script and its files
// in a temporary folder.
class WindowFixture
{
protected:
    void makeWindow(const QString &stepFolder)
    {
        m_window.reset();
        m_window = std::make_unique<CalculatorWindow>(
            *m_platform, stepFolder, WindowOpeners{{}, {}, [this] { ++m_helpOpened; }});
        m_window->load();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void startWindow()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_platform = std::make_unique<ScriptedPlatform>();
        makeWindow(file("steps/"));
    }
    void finishWindow()
    {
        QCOMPARE(m_platform->unexpected, QStringList());
        m_window.reset();
    }

    QPlainTextEdit *display() const
    {
        return m_window->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
    }
    // The display's text, a long line held in pieces read as the one line it is.
    QString text() const
    {
        return LongLineEdit::withoutPieceBreaks(display()->document(), display()->toPlainText(), 0);
    }
    const CalcState &state() const { return m_window->engine().state(); }
    QString file(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    QString focusName() const
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }

    void click(const char *name, int index = -1)
    {
        QAbstractButton *button =
            index < 0 ? m_window->findChild<QPushButton *>(QLatin1String(name))
                      : m_window->findChild<QButtonGroup *>(QLatin1String(name))->button(index);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void trigger(const char *action)
    {
        m_window->findChild<QAction *>(QLatin1String(action))->trigger();
    }
    void open(const QString &path)
    {
        m_platform->openNames.enqueue(path);
        trigger("nmuopen");
    }
    void saveAs(const QString &path)
    {
        m_platform->saveNames.enqueue(path);
        trigger("nmusaveas");
    }

    // Keys separated by blanks, sent to the focused control as a US keyboard types them: "+"
    // comes with Shift, "L" is Shift+L. Prefixes C- A- K- add Ctrl, Alt and the keypad; longer
    // names are keys ("Up", "Tab"); "Click" clicks into the display.
    void type(const QString &keys)
    {
        static const QString kShifted = QStringLiteral("~!@#$%^&*()_+{}|:\"<>?");
        for (QString token : keys.split(u' ', Qt::SkipEmptyParts)) {
            if (token == u"Click") {
                QTest::mouseClick(display()->viewport(), Qt::LeftButton);
                continue;
            }
            Qt::KeyboardModifiers modifiers;
            while (token.size() > 2 && token[1] == u'-') {
                const char prefix = token[0].toLatin1();
                modifiers |= prefix == 'S'   ? Qt::ShiftModifier
                             : prefix == 'C' ? Qt::ControlModifier
                             : prefix == 'A' ? Qt::AltModifier
                                             : Qt::KeypadModifier;
                token.remove(0, 2);
            }
            Qt::Key key;
            QString text;
            if (token.size() == 1) {
                const QChar c = token[0];
                key = Qt::Key(c.toUpper().unicode());
                text = token;
                if (!(modifiers & Qt::KeypadModifier) && (c.isUpper() || kShifted.contains(c)))
                    modifiers |= Qt::ShiftModifier;
                if (modifiers & Qt::ControlModifier && c.unicode() >= 0x40 && c.unicode() < 0x7f)
                    text = QChar(c.unicode() & 0x1f);
            } else {
                key = QKeySequence(token)[0].key();
                text = key == Qt::Key_Tab      ? QStringLiteral("\t")
                       : key == Qt::Key_Return ? QStringLiteral("\r")
                                               : QString();
            }
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), key, text, modifiers);
        }
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<CalculatorWindow> m_window;
    int m_helpOpened = 0;
};
