#pragma once

#include <QDialog>
#include <QPointer>

class QPlainTextEdit;

// The help window: the usage text in one scrollable box. The object lives for the whole run; its
// text box is made afresh each time the window is loaded, so edits never outlive a closing.
class HelpWindow final : public QDialog
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    bool isLoaded() const { return !m_text.isNull(); }
    // Loads the window if needed, shows it and fills in the text.
    void load();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    QPointer<QPlainTextEdit> m_text;
};

// A white question mark on a green disc with a black rim.
QIcon helpIcon();
