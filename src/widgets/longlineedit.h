#pragma once

#include <QList>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

class QAccessibleInterface;

// Positions in a document whose line breaks at box positions `breaks` (ascending) are not in the
// text it shows: the line position of a box position, and the box position of a line position.
// At a break the two box positions on either side are one place in the line; the box position
// given for it is the one after the break, at the start of the next piece.
int linePosition(const QList<int> &breaks, int boxPosition);
int boxPosition(const QList<int> &breaks, int linePosition);

// A plain text edit that may hold a line too long to lay out whole at every change as several
// paragraphs ("pieces"), cut where the line wraps. Qt lays a paragraph out whole at every change
// of it, which in a line of a megabyte takes a tenth of a second; cut, the line looks the same,
// and a change at its end lays out only the last piece.
//
// Invariants:
// - The break before each further piece is marked in its character format; the mark moves with
//   the break through edits, undo and redo, and Qt leaves it off every break it inserts.
// - Pieces are cut only at the start of a wrapped line a whole number of pixels down the
//   paragraph, at least kPieceLength characters apart, so the line looks and scrolls as one.
// - Every change made to the pieces is joined to the document's last step of undo, so that an
//   undo never shows a state the user did not see.
// - Where the document's text direction is automatic, every piece of a line carries the line's
//   direction in its paragraph format; a line held whole carries none.
// - The user meets the line, never the pieces: copying, dragging, the accessible text, Left,
//   Right, Backspace, Delete, End, the word keys, a double click and a third click act as they
//   would on the line held whole.
// Whoever fills the edit decides when to cut and join (see TextBoxDisplay); only this class
// knows how a piece break is marked.
class LongLineEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    // A piece holds at least this many characters, and the last paragraph is cut when it holds
    // twice as many.
    static constexpr int kPieceLength = 4096;
    // A line inserted whole is held first in pieces of this many characters, and cut where it
    // wraps later, this much at a time: laid out whole, a line of megabytes takes seconds.
    static constexpr int kAheadLength = 32 * 1024;

    explicit LongLineEdit(QWidget *parent = nullptr);

    // Whether the break before `block` is a break between pieces.
    static bool continuesLine(const QTextBlock &block);
    // `text`, read from the document from position `from` with one character for each break,
    // without the breaks between pieces.
    static QString withoutPieceBreaks(const QTextDocument *doc, QString text, int from);
    // The box positions of the breaks between pieces, ascending.
    QList<int> pieceBreakPositions() const;
    // The text as the user reads it, line breaks as '\n'.
    QString lineText() const;

    // Breaks between pieces, as counted at the last recount.
    int pieceBreaks() const { return m_breaks; }
    void recountPieces();
    // Counts off the breaks after box position `position`, about to be cut away.
    void forgetPiecesAfter(int position) { m_breaks -= pieceBreaksAfter(position); }
    int pieceBreaksAfter(int position) const;
    // Whether the lines have become wider or narrower since the pieces were cut.
    bool piecesWidthChanged() const;
    // The first piece of the first line held in pieces; invalid when there are none.
    QTextBlock firstPiece() const;

    // Cuts the last paragraph into pieces when it is long; true when it did.
    bool splitLast();
    // Makes every line whole again.
    void joinPieces();
    // Lays out every piece, so that the scroll bar counts their lines.
    void layOutPieces();
    // Takes out a break that has nothing after it.
    void dropEmptyEnd();
    // Inserts `line`, which holds no line break, at the cursor, at the start of a paragraph; a
    // long one in pieces not yet cut where it wraps. True when it did so.
    bool insertLongLine(QTextCursor &cursor, QStringView line);
    // Cuts the next of those pieces where the line wraps; true while some are left. The view
    // stays where it is.
    bool cutAhead();
    bool cuttingAhead() const { return !m_frontier.isNull(); }
    void stopCuttingAhead() { m_frontier = QTextCursor(); }
    // Gives every piece of a line the direction the line held whole takes from its first strong
    // letter, where the document's direction is automatic: a piece alone would take its own.
    void alignPieceDirections();

    // Scrolls the caret into view as the line held whole would be; the view was at
    // `scrolledFrom` before the change that moved the caret.
    void showCaret(int scrolledFrom);
    // After the box scrolled down from `scrolledFrom` to show the caret.
    void keepMarginBelowCaret(int scrolledFrom);

    static QAccessibleInterface *accessibleFactory(const QString &className, QObject *object);

protected:
    QMimeData *createMimeDataFromSelection() const override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // The paragraphs after each break between pieces, from the end.
    QList<QTextBlock> continuations() const;
    void showLineCounts(int scrollValue);
    bool wordKey(const QKeyEvent *event);
    void keepCaretLayout();
    // The places in `block`, laid out, where it may be cut, and the lines before each.
    void findCuts(const QTextBlock &block, QList<int> &cuts, QList<int> &lines) const;
    void cut(const QTextBlock &block, const QList<int> &cuts, const QList<int> &lines,
             int scrollValue);

    int m_breaks = 0;
    int m_width = 0; // of the viewport when the pieces were cut
    // The paragraph of the caret keeps its shaped text between layouts: placing the caret, which
    // the blinking does twice a second, would otherwise shape the whole paragraph again. Held by
    // a cursor, which follows the document's changes where a paragraph handle would dangle.
    QTextCursor m_caretBlock;
    // The start of the first piece not yet cut where the line wraps; null when there is none.
    QTextCursor m_frontier;
};
