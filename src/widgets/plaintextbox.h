#pragma once

#include <QPlainTextEdit>
#include <QTextBlock>

// A multi-line text box that takes in only plain text: a paste, a middle click or a drop inserts
// the text of what is offered, and nothing at all when it holds no text. Qt's own insertion
// fails on offers that carry no format, as the clipboard of a fresh X session does.
//
// A line too long to lay out whole at every change may be held as several paragraphs, cut where
// the line wraps (see TextBoxDisplay). The break before each further piece is marked in its
// character format; the mark moves with the break through edits, undo and redo, and Qt leaves it
// off every break it inserts. Copying, dragging and the keys that move over or delete a character
// treat such a line as the one line it is.
class PlainTextBox final : public QPlainTextEdit
{
    Q_OBJECT

public:
    using QPlainTextEdit::QPlainTextEdit;

    // Public so that any offer can be put to them directly, a null one included.
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

    // The format of a break inside a line; and whether the break before `block` is one.
    static QTextCharFormat pieceBreakFormat();
    static bool continuesLine(const QTextBlock &block);
    // `text`, read from the document from position `from` with one character for each break,
    // without the breaks inside lines.
    static QString withoutPieceBreaks(const QTextDocument *doc, QString text, int from);
    // After the box scrolled down from `scrolledFrom` to show the caret.
    void keepMarginBelowCaret(int scrolledFrom);

protected:
    QMimeData *createMimeDataFromSelection() const override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool wordKey(const QKeyEvent *event);
};
