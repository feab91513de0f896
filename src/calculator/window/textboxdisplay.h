#pragma once

#include "calculator/engine/display.h"
#include "widgets/longlineedit.h"

#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>

#include <functional>

// The calculator's display over the window's text box. The box holds line breaks as paragraphs;
// the engine and the records see them as CR LF. The display keeps that CR LF text itself, kept
// current by its own appends and by the box's change notifications, so that taking a record never
// copies the text out of the box. Appends go to the end of the document without rebuilding it,
// and leave the caret at the end, in view.
//
// A long last line is held in the box in pieces (see LongLineEdit), so that keys at its end lay
// out only the last piece again; the display decides when the pieces are cut and joined.
//
// A long text is shown from its end at once and filled in before that from the event loop, a
// little at a time, so that the window keeps answering: the box builds a paragraph in
// microseconds, and a document holds hundreds of thousands of them.
//
// The calculator's own writes are not reported back; every change the user makes to the box is,
// once, through `userEdited`.
class TextBoxDisplay final : public CalcDisplay
{
public:
    explicit TextBoxDisplay(std::function<void()> userEdited);
    TextBoxDisplay(const TextBoxDisplay &) = delete;
    TextBoxDisplay &operator=(const TextBoxDisplay &) = delete;
    ~TextBoxDisplay() override;

    // The box of the loaded window, a LongLineEdit, or null while the window is unloaded.
    void attach(QPlainTextEdit *box);

    QString text() const override;
    bool isEmpty() const override;
    QChar lastChar() const override;
    void append(const QString &piece) override;
    void setText(const QString &text) override;
    void truncate(qsizetype size) override;

private:
    void boxChanged(int from, int removed, int added);
    void rereadBox();
    void setBoxText(const QString &text);
    bool cutAt(qsizetype size);
    bool cutTo(qsizetype size);
    void startLoading(qsizetype from);
    void loadChunk();
    void loadBefore();
    void stopLoading();
    void setRightToLeft(bool rightToLeft);
    void showEnd();
    void splitLast();
    void tidyPieces();
    void checkText() const;

    std::function<void()> m_userEdited;
    QPointer<LongLineEdit> m_box;
    QMetaObject::Connection m_changes;
    QMetaObject::Connection m_edits;
    QMetaObject::Connection m_inputDirection;
    QMetaObject::Connection m_relayouts;
    QString m_text;
    // Characters in the box, a line break counting one; as of the last change seen.
    qsizetype m_boxLength = 0;
    // The display itself is changing the box, and has already changed the text.
    bool m_changing = false;
    // The box may hold U+2028, one character there but a line break in the text: positions no
    // longer map by counting paragraphs, so every change reads the box whole.
    bool m_lineSeparators = false;
    // The text may hold right-to-left script. Without, every paragraph is laid out left to right
    // whatever the box's setting, and saying so spares the box looking for its direction along
    // the whole paragraph each time it places the caret.
    bool m_rightToLeft = true;
    // Where in the text the box's content starts while the rest is still being loaded before it.
    qsizetype m_loadedFrom = 0;
    qsizetype m_chunk = 0;
    QTimer m_loader;
    int m_blockCount = 0;
    // What the box's own changes call for, done once they are over: the pieces joined again, as
    // after an edit inside a line that continues; the last line cut, as after an edit at its end.
    bool m_joinWanted = false;
    bool m_splitWanted = false;
    // The pieces' directions to be set again.
    bool m_directionWanted = false;
    // The box's width changed since the pieces were cut.
    bool m_rewrapped = false;
    QTimer m_tidy;
};
