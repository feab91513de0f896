#include "widgets/longlineedit.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QCoreApplication>
#include <QMimeData>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace
{

// An object type that no text object has, so that nothing but this mark reads it.
constexpr int kPieceBreak = QTextFormat::UserObject + 0x2029;

QTextCharFormat pieceBreakFormat()
{
    QTextCharFormat format;
    format.setObjectType(kPieceBreak);
    return format;
}

// The direction of the first letter with a strong direction from `block` on through the pieces
// that continue its line; automatic when there is none.
Qt::LayoutDirection lineDirection(QTextBlock block)
{
    for (; block.isValid(); block = block.next()) {
        for (const QChar c : block.text()) {
            switch (c.direction()) {
            case QChar::DirL:
                return Qt::LeftToRight;
            case QChar::DirR:
            case QChar::DirAL:
                return Qt::RightToLeft;
            default:
                break;
            }
        }
        if (!LongLineEdit::continuesLine(block.next()))
            break;
    }
    return Qt::LayoutDirectionAuto;
}

void setDirection(QTextCursor &cursor, const QTextBlock &block, Qt::LayoutDirection direction)
{
    if (block.blockFormat().layoutDirection() == direction)
        return;
    QTextBlockFormat format;
    format.setLayoutDirection(direction);
    cursor.setPosition(block.position());
    cursor.mergeBlockFormat(format);
}

} // namespace

int linePosition(const QList<int> &breaks, int boxPosition)
{
    // A break at `b` stands between box positions b and b + 1, which are one place.
    const auto before = std::lower_bound(breaks.cbegin(), breaks.cend(), boxPosition);
    return boxPosition - int(before - breaks.cbegin());
}

int boxPosition(const QList<int> &breaks, int linePosition)
{
    int position = linePosition;
    for (const int b : breaks) {
        if (b >= position)
            break;
        ++position;
    }
    // At a break, the start of the piece after it.
    if (std::binary_search(breaks.cbegin(), breaks.cend(), position))
        ++position;
    return position;
}

LongLineEdit::LongLineEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    QAccessible::installFactory(&LongLineEdit::accessibleFactory);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &LongLineEdit::keepCaretLayout);
}

bool LongLineEdit::continuesLine(const QTextBlock &block)
{
    // A paragraph's character format is that of the break before it.
    return block.isValid() && block.blockNumber() > 0 &&
           block.charFormat().objectType() == kPieceBreak;
}

QString LongLineEdit::withoutPieceBreaks(const QTextDocument *doc, QString text, int from)
{
    const int to = from + int(text.size());
    // From the end, so that what is still to be removed keeps its place.
    QTextBlock block = doc->findBlock(to);
    for (; block.isValid() && block.position() > from; block = block.previous()) {
        if (block.position() <= to && continuesLine(block))
            text.remove(block.position() - 1 - from, 1);
    }
    return text;
}

QList<int> LongLineEdit::pieceBreakPositions() const
{
    QList<int> breaks;
    for (const QTextBlock &b : continuations())
        breaks.prepend(b.position() - 1);
    return breaks;
}

QString LongLineEdit::lineText() const
{
    return withoutPieceBreaks(document(), toPlainText(), 0);
}

void LongLineEdit::recountPieces()
{
    m_breaks = 0;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next())
        m_breaks += continuesLine(b);
}

int LongLineEdit::pieceBreaksAfter(int position) const
{
    int found = 0;
    for (QTextBlock b = document()->lastBlock();
         found < m_breaks && b.isValid() && b.position() > position; b = b.previous())
        found += continuesLine(b);
    return found;
}

bool LongLineEdit::piecesWidthChanged() const
{
    return m_breaks > 0 && viewport()->width() != m_width;
}

QList<QTextBlock> LongLineEdit::continuations() const
{
    QList<QTextBlock> found;
    for (QTextBlock b = document()->lastBlock(); b.isValid() && int(found.size()) < m_breaks;
         b = b.previous()) {
        if (continuesLine(b))
            found.append(b);
    }
    return found;
}

QTextBlock LongLineEdit::firstPiece() const
{
    const QList<QTextBlock> pieces = continuations();
    return pieces.isEmpty() ? QTextBlock() : pieces.back().previous();
}

bool LongLineEdit::splitLast()
{
    const QTextBlock last = document()->lastBlock();
    if (last.length() - 1 < 2 * kPieceLength)
        return false;
    QList<int> cuts;
    QList<int> lines;
    findCuts(last, cuts, lines);
    if (cuts.isEmpty())
        return false;
    cut(last, cuts, lines, verticalScrollBar()->value());
    return true;
}

void LongLineEdit::findCuts(const QTextBlock &block, QList<int> &cuts, QList<int> &lines) const
{
    document()->documentLayout()->blockBoundingRect(block); // lays it out if it is not
    const QTextLayout *layout = block.layout();
    for (int i = 1, pieceStart = 0, pieceLine = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        const int start = line.textStart();
        // The box sets its scroll range from the heights of the last paragraphs in whole pixels:
        // pieces of whole pixels each add up as the lines of one paragraph do.
        if (start - pieceStart >= kPieceLength && line.y() == std::floor(line.y())) {
            cuts.append(start);
            lines.append(i - pieceLine);
            pieceStart = start;
            pieceLine = i;
        }
    }
    lines.append(layout->lineCount() - std::accumulate(lines.cbegin(), lines.cend(), 0));
}

// Cuts `block` at `cuts`, each piece counting its `lines`; the view then at `scrollValue`.
void LongLineEdit::cut(const QTextBlock &block, const QList<int> &cuts, const QList<int> &lines,
                       int scrollValue)
{
    QTextDocument *doc = document();
    m_width = viewport()->width();
    const int at = block.position();
    const QTextBlockFormat format = block.blockFormat();
    QTextCursor cursor(doc);
    cursor.joinPreviousEditBlock();
    // From the end, so that the places still to cut keep their positions.
    for (auto it = cuts.crbegin(); it != cuts.crend(); ++it) {
        cursor.setPosition(at + *it);
        cursor.insertBlock(format, pieceBreakFormat());
    }
    cursor.endEditBlock();
    m_breaks += int(cuts.size());
    alignPieceDirections();
    // The pieces are laid out as they come into view; meanwhile they count the lines they hold.
    QTextBlock piece = doc->findBlock(at);
    for (const int count : lines) {
        piece.setLineCount(count);
        piece = piece.next();
    }
    showLineCounts(scrollValue);
}

bool LongLineEdit::insertLongLine(QTextCursor &cursor, QStringView line)
{
    if (line.size() < 2 * kAheadLength) {
        cursor.insertText(line.toString());
        return false;
    }
    const int start = cursor.position();
    m_width = viewport()->width();
    const QTextBlockFormat format = cursor.blockFormat();
    const QTextCharFormat text = cursor.charFormat();
    for (qsizetype at = 0; at < line.size(); at += kAheadLength) {
        if (at > 0) {
            cursor.insertBlock(format, pieceBreakFormat());
            ++m_breaks;
        }
        cursor.insertText(
            line.sliced(at, std::min<qsizetype>(kAheadLength, line.size() - at)).toString(), text);
    }
    m_frontier = QTextCursor(document());
    m_frontier.setPosition(start);
    return true;
}

bool LongLineEdit::cutAhead()
{
    if (m_frontier.isNull())
        return false;
    QTextDocument *doc = document();
    const QTextBlock block = m_frontier.block();
    const int linesBefore = doc->lineCount();
    const int value = verticalScrollBar()->value();
    const bool viewBelow = firstVisibleBlock().blockNumber() > block.blockNumber();
    QTextCursor cursor(doc);
    cursor.joinPreviousEditBlock();
    // The line from the frontier on, up to a length worth laying out, in one paragraph.
    for (bool more = true; more && continuesLine(block.next());
         more = block.length() - 1 < kAheadLength) {
        cursor.setPosition(block.position() + block.length() - 1);
        cursor.deleteChar();
        --m_breaks;
    }
    cursor.endEditBlock();
    const bool last = !continuesLine(block.next());
    QList<int> cuts;
    QList<int> lines;
    findCuts(block, cuts, lines);
    const int at = block.position();
    if (!cuts.isEmpty())
        cut(block, cuts, lines, value);
    // The rest after the last cut goes with the next piece, unless there is none.
    if (last)
        m_frontier = QTextCursor();
    else if (!cuts.isEmpty())
        m_frontier.setPosition(at + cuts.back() + int(cuts.size()));
    // Lines counted anew above the view move what it shows.
    if (viewBelow)
        verticalScrollBar()->setValue(value + doc->lineCount() - linesBefore);
    return !m_frontier.isNull();
}

void LongLineEdit::joinPieces()
{
    m_frontier = QTextCursor();
    if (m_breaks == 0)
        return;
    QTextDocument *doc = document();
    const int value = verticalScrollBar()->value();
    QList<int> breaks;
    for (const QTextBlock &b : continuations())
        breaks.append(b.position() - 1);
    QTextCursor cursor(doc);
    cursor.joinPreviousEditBlock();
    for (const int at : breaks) {
        cursor.setPosition(at);
        cursor.deleteChar();
    }
    for (const int at : breaks)
        setDirection(cursor, doc->findBlock(at), Qt::LayoutDirectionAuto);
    cursor.endEditBlock();
    m_breaks = 0;
    // Each break taken out joined the paragraph that held it to the one after; laid out now, it
    // counts its lines.
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    for (const int at : breaks)
        layout->blockBoundingRect(doc->findBlock(at));
    showLineCounts(value);
}

void LongLineEdit::layOutPieces()
{
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    for (const QTextBlock &b : continuations()) {
        layout->blockBoundingRect(b);
        layout->blockBoundingRect(b.previous());
    }
    showLineCounts(verticalScrollBar()->value());
}

void LongLineEdit::dropEmptyEnd()
{
    const QTextBlock last = document()->lastBlock();
    if (last.length() != 1 || !continuesLine(last))
        return;
    QTextCursor cursor(last);
    cursor.joinPreviousEditBlock();
    cursor.deletePreviousChar();
    cursor.endEditBlock();
    --m_breaks;
}

void LongLineEdit::alignPieceDirections()
{
    const QList<QTextBlock> pieces = continuations();
    if (pieces.isEmpty())
        return;
    const bool automatic =
        document()->defaultTextOption().textDirection() == Qt::LayoutDirectionAuto;
    QTextCursor cursor(document());
    cursor.joinPreviousEditBlock();
    Qt::LayoutDirection direction = Qt::LayoutDirectionAuto;
    // From the first piece of each line on; `pieces` runs from the end.
    for (auto it = pieces.crbegin(); it != pieces.crend(); ++it) {
        const QTextBlock piece = *it;
        if (!continuesLine(piece.previous())) {
            direction = automatic ? lineDirection(piece.previous()) : Qt::LayoutDirectionAuto;
            setDirection(cursor, piece.previous(), direction);
        }
        setDirection(cursor, piece, direction);
    }
    cursor.endEditBlock();
}

// A change over several paragraphs leaves each counted as one line. With their lines counted
// again, the scroll bar keeps its range and place.
void LongLineEdit::showLineCounts(int scrollValue)
{
    // The same size again: the box sets its scroll bars from the line counts.
    QResizeEvent resize(viewport()->size(), viewport()->size());
    QCoreApplication::sendEvent(viewport(), &resize);
    verticalScrollBar()->setValue(scrollValue);
}

void LongLineEdit::showCaret(int scrolledFrom)
{
    ensureCursorVisible();
    keepMarginBelowCaret(scrolledFrom);
    keepCaretLayout();
}

// While the caret is in the document's first paragraph, the box scrolls the document's margin
// into view below it too. A first line held in pieces is one paragraph to the user.
void LongLineEdit::keepMarginBelowCaret(int scrolledFrom)
{
    QScrollBar *bar = verticalScrollBar();
    QTextBlock block = textCursor().block();
    if (bar->value() <= scrolledFrom || !continuesLine(block))
        return;
    while (continuesLine(block))
        block = block.previous();
    if (block.blockNumber() == 0 &&
        cursorRect().bottom() + document()->documentMargin() >= viewport()->height())
        bar->setValue(bar->value() + 1);
}

void LongLineEdit::keepCaretLayout()
{
    const QTextBlock block = textCursor().block();
    if (!m_caretBlock.isNull() && m_caretBlock.block() == block)
        return;
    // A paragraph the caret left gives its shaped text back at its next layout.
    if (!m_caretBlock.isNull() && m_caretBlock.block().layout())
        m_caretBlock.block().layout()->setCacheEnabled(false);
    m_caretBlock = QTextCursor(block);
    block.layout()->setCacheEnabled(true);
}

QMimeData *LongLineEdit::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    const QTextBlock first = document()->findBlock(cursor.selectionStart());
    const QTextBlock last = document()->findBlock(cursor.selectionEnd());
    bool breaksInside = false;
    for (QTextBlock b = first.next();
         !breaksInside && b.isValid() && b.blockNumber() <= last.blockNumber(); b = b.next())
        breaksInside = continuesLine(b);
    if (!breaksInside)
        return QPlainTextEdit::createMimeDataFromSelection();
    auto *mime = new QMimeData;
    QString text = cursor.selection().toPlainText();
    mime->setText(withoutPieceBreaks(document(), std::move(text), cursor.selectionStart()));
    return mime;
}
