#pragma once

#include <QPointer>
#include <QWidget>

class QPlainTextEdit;

// The help window: the usage text in one scrollable box. The object lives for the whole run; its
// text box is made afresh each time the window is loaded, so edits never outlive a closing.
class HelpWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    bool isLoaded() const { return !m_text.isNull(); }
    // Loads the window if needed, shows it and fills in the text; brings an open one to the front.
    void load();

protected:
    void closeEvent(QCloseEvent *event) override;
    // Escape closes the window, as it closes a dialog.
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointer<QPlainTextEdit> m_text;
};
