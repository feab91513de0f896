#include "calculator/window/calculatorwindow.h"

#include "calculator/engine/staterecord.h"
#include "calculator/window/calculatorcontrols.h"
#include "calculator/window/calculatormessages.h"
#include "calculator/window/keyhints.h"
#include "files/regularfile.h"
#include "files/writefile.h"
#include "platform/keyboard.h"
#include "platform/platform.h"
#include "widgets/accessibility.h"
#include "widgets/fittinglabel.h"
#include "widgets/layout.h"
#include "widgets/plaintextbox.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <utility>

namespace
{

const QString kDocumentFilter = QStringLiteral("(*.txt)|*.txt");
constexpr qreal kMenuFloorPoints = 6;

QFont faceFont(Face face, const QFont &windowFont)
{
    switch (face) {
    case Face::Song12:
        return QFont(QStringLiteral("宋体"), 12);
    case Face::Kai14: {
        QFont font(QStringLiteral("楷体_GB2312"));
        font.setPointSizeF(14.25);
        return font;
    }
    case Face::Kai10: {
        QFont font(QStringLiteral("楷体_GB2312"));
        font.setPointSizeF(10.5);
        return font;
    }
    case Face::Window:
        break;
    }
    return windowFont;
}

} // namespace

CalculatorWindow::CalculatorWindow(Platform &platform, const QString &stepFolder,
                                   WindowOpeners openers, QWidget *parent)
    : QMainWindow(parent), m_platform(platform), m_openers(std::move(openers)), m_display([this] {
          m_calc.markChanged();
          keepSoon();
      }),
      m_steps(stepFolder), m_calc(m_display, m_steps, StepHistory::Writing::Behind)
{
    m_recoveryTimer.setSingleShot(true);
    m_recoveryTimer.setInterval(1000);
    connect(&m_recoveryTimer, &QTimer::timeout, this, [this] { m_calc.keepRecovery(); });
    setObjectName(QStringLiteral("Frm1"));
    setWindowTitle(QString::fromUtf16(calculatorcontrols::kTitle));
}

void CalculatorWindow::load()
{
    if (!isLoaded()) {
        build();
        setCalculationMode(true);
    }
    if (isVisible()) {
        raise();
        activateWindow();
    }
    show();
}

void CalculatorWindow::build()
{
    auto *controls = new QWidget(this);
    controls->setObjectName(QStringLiteral("controls"));
    QHash<QString, QButtonGroup *> groups;
    for (const char *name : calculatorcontrols::kGroups) {
        auto *group = new QButtonGroup(controls);
        group->setObjectName(QLatin1String(name));
        groups.insert(QLatin1String(name), group);
    }

    auto *hints = new KeyHints(controls, [this] { return calculationMode(); });
    using calculatorcontrols::kControls;
    QList<QWidget *> tabOrder(std::size(kControls));
    for (const CalculatorControl &c : kControls) {
        QWidget *widget = nullptr;
        if (!c.caption) {
            auto *text = new PlainTextBox(controls);
            text->setPlainText(QStringLiteral(" "));
            text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            text->setTabChangesFocus(true);
            // Wrapping at word boundaries takes time quadratic in the length of a line, and a
            // calculation is one long word.
            text->setWordWrapMode(QTextOption::WrapAnywhere);
            QPalette palette = text->palette();
            palette.setColor(QPalette::Base, QColor(0, 255, 255));
            text->setPalette(palette);
            text->viewport()->installEventFilter(this);
            text->setToolTip(displayToolTip());
            m_text = text;
            widget = text;
        } else {
            auto *button = new QPushButton(QString::fromUtf16(c.caption), controls);
            button->setAutoDefault(false);
            if (QButtonGroup *group = groups.value(QLatin1String(c.name)))
                group->addButton(button, c.command.index);
            if (c.command.action != KeyAction::None) {
                connect(button, &QPushButton::clicked, this,
                        [this, command = c.command] { press(command); });
                hints->add(button, c.command);
            }
            widget = button;
        }
        widget->setObjectName(QLatin1String(c.name));
        widget->setGeometry(twipsRect(c.left, c.top, c.width, c.height));
        widget->setFont(faceFont(c.face, font()));
        if (auto *button = qobject_cast<QPushButton *>(widget))
            fitCaption(button);
        if (c.tooltip)
            widget->setToolTip(QString::fromUtf16(c.tooltip));
        describeControl(widget, c.accessibleName, nullptr);
        widget->installEventFilter(this);
        tabOrder[c.tabIndex] = widget;
    }
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    auto *modeButton = controls->findChild<QPushButton *>(QStringLiteral("Cd4"));
    connect(modeButton, &QPushButton::clicked, this, [this] { setCalculationMode(true); });
    m_modeButton = modeButton;

    setCentralWidget(controls);

    auto *bar = new QMenuBar(this);
    const auto addEntry = [&](const char *name, const char16_t *caption, auto handler) {
        auto *action = new QAction(QString::fromUtf16(caption), bar);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        bar->addAction(action);
    };
    auto *file = new QAction(QStringLiteral("文件&f"), bar);
    file->setObjectName(QStringLiteral("nmufile"));
    bar->addAction(file);
    addEntry("nmunew", u"新建&n", [this] { newDocument(); });
    addEntry("nmuopen", u"打开&o", &CalculatorWindow::openDocument);
    addEntry("nmusave", u"保存&s", [this] { saveDocument(); });
    addEntry("nmusaveas", u"另存为&a", [this] { saveDocumentAs(); });
    addEntry("nmuprint", u"打印&p", &CalculatorWindow::print);
    addEntry("nmuexit", u"退出&e", &CalculatorWindow::close);
    addEntry("nmuf1", u"帮助&h", [this] { m_openers.help(); });
    addEntry("nmuabout", u"关于&b", &CalculatorWindow::showAbout);
    // Narrow items, so that all nine fit the width of the window; in a smaller font where the
    // window's is too large for that.
    bar->setStyleSheet(QStringLiteral("QMenuBar::item { padding: 2px 3px; }"));
    QFont barFont = bar->font();
    while (bar->sizeHint().width() > twips(calculatorcontrols::kWidth) &&
           barFont.pointSizeF() > kMenuFloorPoints) {
        barFont.setPointSizeF(barFont.pointSizeF() - 0.5);
        bar->setFont(barFont);
    }
    setMenuBar(bar);
    resize(twips(calculatorcontrols::kWidth),
           twips(calculatorcontrols::kHeight) + bar->sizeHint().height());
    move(twips(3135), twips(1845));

    m_display.attach(m_text);
    tabOrder.front()->setFocus();
}

void CalculatorWindow::unload()
{
    m_display.attach(nullptr);
    setMenuBar(nullptr);
    // Deferred: the close may come from one of the controls' own handlers.
    QWidget *controls = takeCentralWidget();
    controls->setParent(nullptr);
    controls->deleteLater();
}

void CalculatorWindow::closeEvent(QCloseEvent *event)
{
    // Closing starts a new document first; a cancelled save prompt keeps the window open.
    if (isLoaded() && !newDocument()) {
        event->ignore();
        return;
    }
    event->accept();
    if (isLoaded())
        unload();
}

void CalculatorWindow::setCalculationMode(bool on)
{
    m_keyPreview = on;
    if (!m_text)
        return;
    // The caret shows only while keys type into the display.
    m_text->setCursorWidth(on ? 0 : m_text->style()->pixelMetric(QStyle::PM_TextCursorWidth));
    m_text->setAccessibleDescription(displayDescription(on));
}

void CalculatorWindow::editAtEnd()
{
    setCalculationMode(false);
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->moveCursor(QTextCursor::End);
}

bool CalculatorWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        // Alt with a menu entry's access key only chooses the entry. Any other Alt chord sends
        // no key press when Qt takes it for a shortcut, so it presses its calculator key here.
        const auto &key = *static_cast<QKeyEvent *>(event);
        m_pressedChord.reset();
        if (m_keyPreview && (key.modifiers() & Qt::AltModifier) && !isAccessKey(key) &&
            keyDown(key))
            m_pressedChord = key.keyCombination();
        break;
    }
    case QEvent::KeyPress: {
        const auto &key = *static_cast<QKeyEvent *>(event);
        if (std::exchange(m_pressedChord, std::nullopt) == key.keyCombination())
            return true;
        if (key.key() == Qt::Key_F2 && !(key.modifiers() & ~Qt::KeypadModifier) && m_text) {
            editAtEnd();
            return true;
        }
        // A key that presses a button is used up; any other goes on to the focused control.
        if (m_keyPreview && keyDown(key))
            return true;
        break;
    }
    case QEvent::MouseButtonPress:
        if (m_text && watched == m_text->viewport())
            setCalculationMode(false);
        break;
    case QEvent::FocusIn:
        if (watched == m_modeButton)
            setCalculationMode(true);
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CalculatorWindow::isAccessKey(const QKeyEvent &key) const
{
    const QKeySequence chord(key.keyCombination());
    // menuWidget(), as menuBar() would make a bar for a window that is not loaded.
    const QList<QAction *> entries = menuWidget() ? menuWidget()->actions() : QList<QAction *>();
    return std::any_of(entries.cbegin(), entries.cend(), [&](const QAction *entry) {
        return QKeySequence::mnemonic(entry->text()) == chord;
    });
}

bool CalculatorWindow::keyDown(const QKeyEvent &key)
{
    // Only a chord asks for the digit on the key: on X11 that asks the server.
    const bool chord = key.modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    const KeyCommand command =
        keyCommand({key.key(), key.modifiers(), key.text(), chord ? keyDigit(key) : -1});
    if (command.action == KeyAction::None)
        return false;
    press(command);
    return true;
}

void CalculatorWindow::press(KeyCommand command)
{
    report(pressMessage(m_calc.press(command)));
    if (m_calc.state().changed)
        keepSoon();
}

void CalculatorWindow::keepSoon()
{
    // Not restarted by later changes, so typing without a pause is kept too.
    if (!m_recoveryTimer.isActive())
        m_recoveryTimer.start();
}

bool CalculatorWindow::recover(const QByteArray &record)
{
    if (!isLoaded())
        load();
    if (m_calc.hasUnsavedWork() && !newDocument())
        return false;
    if (const staterecord::ReadResult read = m_calc.recoverDocument(record); !read.ok()) {
        report(recoveryFailedText(read));
        return false;
    }
    // Kept in this copy's folder before the one it came from is deleted.
    m_calc.finishHistory();
    return true;
}

bool CalculatorWindow::commitData(bool mayAsk)
{
    if (!m_calc.hasUnsavedWork())
        return true;
    if (!mayAsk) {
        keepWork();
        return true;
    }
    switch (askToSave()) {
    case Platform::Answer::Yes:
        return saveDocument();
    case Platform::Answer::No:
        m_calc.setChanged(false);
        return true;
    case Platform::Answer::Cancel:
    case Platform::Answer::Ok:
        break;
    }
    return false;
}

void CalculatorWindow::keepWork()
{
    m_recoveryTimer.stop();
    m_calc.keepRecovery();
    m_calc.finishHistory();
}

void CalculatorWindow::report(const QString &message)
{
    if (!message.isEmpty())
        m_platform.showMessage(this, message, messageTitle(), Platform::Buttons::Ok);
}

Platform::Answer CalculatorWindow::askToSave()
{
    return m_platform.showMessage(this, savePromptText(), messageTitle(),
                                  Platform::Buttons::YesNoCancel);
}

bool CalculatorWindow::newDocument()
{
    if (m_display.isEmpty())
        return true;
    if (m_calc.state().changed) {
        switch (askToSave()) {
        case Platform::Answer::Yes:
            if (!saveDocument())
                return false;
            break;
        case Platform::Answer::No:
            break;
        case Platform::Answer::Cancel:
        case Platform::Answer::Ok: // a closed prompt: nothing chosen
            return false;
        }
    }
    m_calc.resetDocument();
    return true;
}

void CalculatorWindow::openDocument()
{
    // With unsaved changes, Open only offers to save them and starts a new document.
    if (m_calc.state().changed) {
        if (newDocument())
            m_calc.setChanged(false);
        return;
    }
    const QString path = m_platform.showOpen(this, kDocumentFilter);
    if (!path.isEmpty())
        openPath(path);
}

bool CalculatorWindow::openPath(const QString &path)
{
    if (!isLoaded())
        load();
    m_steps.keepClearOf(path);
    const yaoshi::FileBytes file = yaoshi::readRegularFile(path, staterecord::kMaxBytes);
    QString error = readErrorText(file);
    if (error.isEmpty()) {
        if (const staterecord::ReadResult read = m_calc.openDocument(file.bytes); !read.ok())
            error = recordErrorText(read);
        else if (read.calculationDropped)
            report(calculationDroppedText());
    }
    if (!error.isEmpty()) {
        report(openFailedText(path, error));
        return false;
    }
    m_calc.setDocName(path);
    return true;
}

bool CalculatorWindow::saveDocument()
{
    const QString name = m_calc.state().docname;
    return name.isEmpty() ? saveDocumentAs() : writeDocument(name);
}

bool CalculatorWindow::saveDocumentAs()
{
    const QString path = m_platform.showSave(this, kDocumentFilter);
    return !path.isEmpty() && writeDocument(path);
}

bool CalculatorWindow::writeDocument(const QString &path)
{
    const QByteArray record = m_calc.documentRecord();
    // What cannot be opened again is not saved: the text stays on the screen to be shortened.
    if (record.size() > staterecord::kMaxBytes) {
        report(tooLargeToSaveText(path));
        return false;
    }
    if (QString error; !writeFile(path, record, &error)) {
        report(saveFailedText(path, error));
        return false;
    }
    m_calc.setChanged(false);
    return true;
}

void CalculatorWindow::print()
{
    const PrintOutcome outcome =
        printText(m_platform, this, printedText(m_display.text(), m_calc.state().docname), font());
    report(printFailureText(outcome));
}

void CalculatorWindow::showAbout()
{
    m_platform.showMessage(this, aboutText(), aboutTitle(), Platform::Buttons::YesNo);
}
