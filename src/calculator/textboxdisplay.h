#pragma once

#include "display.h"

#include <QPlainTextEdit>
#include <QPointer>

// The calculator's display over the window's text box. The box holds line breaks as paragraphs;
// the engine and the records see them as CR LF. Appends go to the end of the document without
// rebuilding it, and leave the caret at the end, in view.
class TextBoxDisplay final : public CalcDisplay
{
public:
    // The box of the loaded window, or null while the window is unloaded.
    void attach(QPlainTextEdit *box) { m_box = box; }

    QString text() const override;
    bool isEmpty() const override;
    QChar lastChar() const override;
    void append(const QString &piece) override;
    void setText(const QString &text) override;

private:
    void showEnd();

    QPointer<QPlainTextEdit> m_box;
};
