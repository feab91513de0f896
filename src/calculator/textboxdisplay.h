#pragma once

#include "display.h"

#include <QPlainTextEdit>
#include <QPointer>

#include <functional>

// The calculator's display over the window's text box. The box holds line breaks as paragraphs;
// the engine and the records see them as CR LF. Appends go to the end of the document without
// rebuilding it, and leave the caret at the end, in view.
//
// The calculator's own writes are not reported back; every change the user makes to the box is,
// once, through `userEdited`.
class TextBoxDisplay final : public CalcDisplay
{
public:
    explicit TextBoxDisplay(std::function<void()> userEdited) : m_userEdited(std::move(userEdited))
    {
    }

    // The box of the loaded window, or null while the window is unloaded.
    void attach(QPlainTextEdit *box);

    QString text() const override;
    bool isEmpty() const override;
    QChar lastChar() const override;
    void append(const QString &piece) override;
    void setText(const QString &text) override;

private:
    void showEnd();

    std::function<void()> m_userEdited;
    QPointer<QPlainTextEdit> m_box;
    bool m_writing = false;
};
