#include "calculator/window/linepieces.h"

#include "widgets/plaintextbox.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QList>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <cmath>
#include <numeric>

void LinePieces::attach(QPlainTextEdit *box)
{
    m_box = box;
    m_breaks = 0;
}

void LinePieces::recount()
{
    m_breaks = 0;
    for (QTextBlock b = m_box->document()->begin(); b.isValid(); b = b.next())
        m_breaks += PlainTextBox::continuesLine(b);
}

int LinePieces::breaksAfter(int position) const
{
    int found = 0;
    for (QTextBlock b = m_box->document()->lastBlock();
         found < m_breaks && b.isValid() && b.position() > position; b = b.previous())
        found += PlainTextBox::continuesLine(b);
    return found;
}

int LinePieces::boxPosition(QStringView text, qsizetype size) const
{
    qsizetype rest = text.size() - size;
    for (QTextBlock b = m_box->document()->lastBlock(); b.isValid(); b = b.previous()) {
        const qsizetype length = b.length() - 1;
        // At the start of a piece, the place is the end of the one before: cut there, the
        // break goes too.
        const bool continues = PlainTextBox::continuesLine(b);
        if (rest < length || (rest == length && !continues))
            return int(b.position() + length - rest);
        rest -= length;
        if (continues)
            continue;
        if (rest < 2 || b.blockNumber() == 0)
            return -1;
        rest -= 2;
    }
    return -1;
}

bool LinePieces::widthChanged() const
{
    return m_breaks > 0 && m_box->viewport()->width() != m_width;
}

QList<QTextBlock> LinePieces::continuations() const
{
    QList<QTextBlock> found;
    for (QTextBlock b = m_box->document()->lastBlock(); b.isValid() && int(found.size()) < m_breaks;
         b = b.previous()) {
        if (PlainTextBox::continuesLine(b))
            found.append(b);
    }
    return found;
}

QTextBlock LinePieces::firstPiece() const
{
    const QList<QTextBlock> pieces = continuations();
    return pieces.isEmpty() ? QTextBlock() : pieces.back().previous();
}

bool LinePieces::splitLast()
{
    QTextDocument *doc = m_box->document();
    const QTextBlock last = doc->lastBlock();
    if (last.length() - 1 < 2 * kLength)
        return false;
    doc->documentLayout()->blockBoundingRect(last); // lays it out if it is not
    const QTextLayout *layout = last.layout();
    QList<int> cuts;
    // Lines in each piece but the last.
    QList<int> lines;
    for (int i = 1, pieceStart = 0, pieceLine = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        const int start = line.textStart();
        // The box sets its scroll range from the heights of the last paragraphs in whole pixels:
        // pieces of whole pixels each add up as the lines of one paragraph do.
        if (start - pieceStart >= kLength && line.y() == std::floor(line.y())) {
            cuts.append(start);
            lines.append(i - pieceLine);
            pieceStart = start;
            pieceLine = i;
        }
    }
    if (cuts.isEmpty())
        return false;
    lines.append(layout->lineCount() - std::accumulate(lines.cbegin(), lines.cend(), 0));
    const int value = m_box->verticalScrollBar()->value();
    m_width = m_box->viewport()->width();
    const int at = last.position();
    const QTextBlockFormat format = last.blockFormat();
    QTextCursor cursor(doc);
    cursor.joinPreviousEditBlock();
    // From the end, so that the places still to cut keep their positions.
    for (auto it = cuts.crbegin(); it != cuts.crend(); ++it) {
        cursor.setPosition(at + *it);
        cursor.insertBlock(format, PlainTextBox::pieceBreakFormat());
    }
    cursor.endEditBlock();
    m_breaks += int(cuts.size());
    // The pieces are laid out as they come into view; meanwhile they count the lines they hold.
    QTextBlock piece = doc->findBlock(at);
    for (const int count : lines) {
        piece.setLineCount(count);
        piece = piece.next();
    }
    showLineCounts(value);
    return true;
}

void LinePieces::join()
{
    if (m_breaks == 0)
        return;
    QTextDocument *doc = m_box->document();
    const int value = m_box->verticalScrollBar()->value();
    QList<int> breaks;
    for (const QTextBlock &b : continuations())
        breaks.append(b.position() - 1);
    QTextCursor cursor(doc);
    cursor.joinPreviousEditBlock();
    for (const int at : breaks) {
        cursor.setPosition(at);
        cursor.deleteChar();
    }
    cursor.endEditBlock();
    m_breaks = 0;
    // Each break taken out joined the paragraph that held it to the one after; laid out now, it
    // counts its lines.
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    for (const int at : breaks)
        layout->blockBoundingRect(doc->findBlock(at));
    showLineCounts(value);
}

void LinePieces::layOut()
{
    QAbstractTextDocumentLayout *layout = m_box->document()->documentLayout();
    for (const QTextBlock &b : continuations()) {
        layout->blockBoundingRect(b);
        layout->blockBoundingRect(b.previous());
    }
    showLineCounts(m_box->verticalScrollBar()->value());
}

void LinePieces::dropEmptyEnd()
{
    const QTextBlock last = m_box->document()->lastBlock();
    if (last.length() != 1 || !PlainTextBox::continuesLine(last))
        return;
    QTextCursor cursor(last);
    cursor.joinPreviousEditBlock();
    cursor.deletePreviousChar();
    cursor.endEditBlock();
    --m_breaks;
}

// A change over several paragraphs leaves each counted as one line. With their lines counted
// again, the scroll bar keeps its range and place.
void LinePieces::showLineCounts(int scrollValue)
{
    // The same size again: the box sets its scroll bars from the line counts.
    QResizeEvent resize(m_box->viewport()->size(), m_box->viewport()->size());
    QCoreApplication::sendEvent(m_box->viewport(), &resize);
    m_box->verticalScrollBar()->setValue(scrollValue);
}
