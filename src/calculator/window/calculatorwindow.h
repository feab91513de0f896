#pragma once

#include "calculator/engine/calculator.h"
#include "calculator/engine/keytable.h"
#include "calculator/window/textboxdisplay.h"
#include "platform/openers.h"
#include "platform/platform.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <optional>

class QKeyEvent;

// The calculator window. The object lives for the whole run and keeps the calculation; its
// controls are made afresh each time it is loaded and go when it is closed.
//
// In calculation mode the window sees every key before the focused control and turns the keys
// of its table into key presses, which the control then never sees; in editing mode the keys
// only edit the display. A click into the display, or F2, switches to editing, the "到计算状态"
// button (or Tab out of the display) back.
class CalculatorWindow final : public QMainWindow
{
    Q_OBJECT

public:
    // Help opens through `openers.help`.
    CalculatorWindow(Platform &platform, const QString &stepFolder, WindowOpeners openers,
                     QWidget *parent = nullptr);

    bool isLoaded() const { return centralWidget() != nullptr; }
    // Makes the controls if the window is not loaded, then shows it.
    void load();
    bool calculationMode() const { return m_keyPreview; }
    const Calculator &engine() const { return m_calc; }
    // Opens the document at `path` as the Open command does once its dialog has answered,
    // loading the window first if needed. A file that cannot be opened is reported, and the
    // window stays as it was; returns whether the document was opened.
    bool openPath(const QString &path);

    // Unsaved work survives the program: the recovery record is written a moment after each
    // change, at once with each step, and removed once nothing is unsaved.
    // Takes over the recovery record a copy that ended left, after the save prompt if this
    // window has unsaved work; false when the user cancelled or the record did not read.
    bool recover(const QByteArray &record);
    // The session is ending: with `mayAsk` the save prompt (false when cancelled), otherwise
    // the recovery record is written.
    bool commitData(bool mayAsk);
    // Writes the recovery record, or removes it when nothing is unsaved, and waits for it.
    void keepWork();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    void unload();
    void setCalculationMode(bool on);
    // Editing mode, the caret at the end of the display: the key F2.
    void editAtEnd();
    // Alt with the access key of a menu entry.
    bool isAccessKey(const QKeyEvent &key) const;
    // Runs the press a key stands for; false when it stands for none.
    bool keyDown(const QKeyEvent &key);
    void press(KeyCommand command);
    void report(const QString &message);
    // Asks for the recovery record within a second.
    void keepSoon();

    // Document commands. Each returns false when the user cancelled or a write failed, so that
    // the command that asked for it stops too.
    Platform::Answer askToSave();
    bool newDocument();
    void openDocument();
    bool saveDocument();
    bool saveDocumentAs();
    bool writeDocument(const QString &path);
    void print();
    void showAbout();

    Platform &m_platform;
    WindowOpeners m_openers;
    TextBoxDisplay m_display;
    FolderStepStore m_steps;
    Calculator m_calc;
    bool m_keyPreview = false;
    // An Alt chord already pressed when Qt asked whether it is a shortcut; its key press, if one
    // follows, is used up.
    std::optional<QKeyCombination> m_pressedChord;
    QPointer<QPlainTextEdit> m_text;
    QPointer<QWidget> m_modeButton;
    QTimer m_recoveryTimer;
};
