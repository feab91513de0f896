#include "widgets/longlineedit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextLayout>

#include <tuple>

// The keys and clicks of a LongLineEdit, which act on the line as the user reads it.

namespace
{

// The caret on each side of a break between pieces is at one place in the line. A key that moves
// over or deletes one character first crosses such a break, so that it acts on the character
// beyond it, as in a line held whole.
enum class Side { None, Before, After };

bool selects(const QKeyEvent *event)
{
    return event->matches(QKeySequence::SelectPreviousChar) ||
           event->matches(QKeySequence::SelectNextChar);
}

Side sideToCross(const QKeyEvent *event, const QTextCursor &cursor)
{
    if (cursor.hasSelection() && !selects(event))
        return Side::None;
    const bool back = event->matches(QKeySequence::MoveToPreviousChar) ||
                      event->matches(QKeySequence::SelectPreviousChar) ||
                      (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier);
    const bool forward = event->matches(QKeySequence::MoveToNextChar) ||
                         event->matches(QKeySequence::SelectNextChar) ||
                         (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier);
    if (back && cursor.atBlockStart() && LongLineEdit::continuesLine(cursor.block()))
        return Side::Before;
    if (forward && cursor.atBlockEnd() && LongLineEdit::continuesLine(cursor.block().next()))
        return Side::After;
    return Side::None;
}

// The caret's piece with the pieces next to it, as one text: where words are looked for.
struct Neighbourhood {
    QTextBlock first;
    QTextBlock last;
    QString text;
    int start = 0; // box position of the text's first character
};

Neighbourhood neighbourhood(const QTextBlock &block)
{
    Neighbourhood n;
    n.first = LongLineEdit::continuesLine(block) ? block.previous() : block;
    n.last = LongLineEdit::continuesLine(block.next()) ? block.next() : block;
    n.start = n.first.position();
    for (QTextBlock b = n.first;; b = b.next()) {
        n.text += b.text();
        if (b == n.last)
            break;
    }
    return n;
}

// The box position of `offset` in the neighbourhood's text; at a break, the start of the piece
// after it.
int boxPositionIn(const Neighbourhood &n, int offset)
{
    for (QTextBlock b = n.first;; b = b.next()) {
        if (offset < b.length() - 1 || b == n.last)
            return b.position() + offset;
        offset -= b.length() - 1;
    }
}

int offsetIn(const Neighbourhood &n, int position)
{
    int offset = 0;
    for (QTextBlock b = n.first; b != n.last && position >= b.next().position(); b = b.next())
        offset += b.length() - 1;
    const QTextBlock at = n.first.document()->findBlock(position);
    return offset + position - at.position();
}

} // namespace

// Word moves and deletions find their words in the caret's piece and the pieces next to it, as
// they would in the line held whole; Qt's own stop at the end of every paragraph.
bool LongLineEdit::wordKey(const QKeyEvent *event)
{
    enum class Act { None, Move, Select, Delete } act = Act::None;
    bool forward = true;
    for (const auto &[key, a, f] :
         {std::tuple(QKeySequence::MoveToNextWord, Act::Move, true),
          std::tuple(QKeySequence::MoveToPreviousWord, Act::Move, false),
          std::tuple(QKeySequence::SelectNextWord, Act::Select, true),
          std::tuple(QKeySequence::SelectPreviousWord, Act::Select, false),
          std::tuple(QKeySequence::DeleteEndOfWord, Act::Delete, true),
          std::tuple(QKeySequence::DeleteStartOfWord, Act::Delete, false)}) {
        if (act == Act::None && event->matches(key)) {
            act = a;
            forward = f;
        }
    }
    QTextCursor cursor = textCursor();
    const Neighbourhood n = neighbourhood(cursor.block());
    if (act == Act::None || (act == Act::Delete && cursor.hasSelection()) || n.first == n.last)
        return false;
    const int offset = offsetIn(n, cursor.position());
    const QTextLayout words(n.text);
    const int target = forward ? words.nextCursorPosition(offset, QTextLayout::SkipWords)
                               : words.previousCursorPosition(offset, QTextLayout::SkipWords);
    if (target == offset)
        return false;
    cursor.setPosition(boxPositionIn(n, target),
                       act == Act::Move ? QTextCursor::MoveAnchor : QTextCursor::KeepAnchor);
    if (act == Act::Delete)
        cursor.removeSelectedText();
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

// A third click selects the paragraph under the pointer: a line held in pieces, whole.
void LongLineEdit::mousePressEvent(QMouseEvent *event)
{
    QPlainTextEdit::mousePressEvent(event);
    QTextCursor cursor = textCursor();
    QTextBlock first = document()->findBlock(cursor.selectionStart());
    QTextBlock last = first;
    // The selection may take in the line break after the paragraph.
    const int breakAfter = cursor.selectionEnd() - (first.position() + first.length() - 1);
    if (!cursor.hasSelection() || cursor.selectionStart() != first.position() || breakAfter < 0 ||
        breakAfter > 1)
        return;
    while (continuesLine(first))
        first = first.previous();
    while (continuesLine(last.next()))
        last = last.next();
    if (first == last)
        return;
    cursor.setPosition(first.position());
    cursor.setPosition(last.position() + last.length() - 1 + breakAfter, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

// A double click selects the word under the pointer, found in the line as the user reads it.
void LongLineEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QTextCursor clicked = cursorForPosition(event->position().toPoint());
    QPlainTextEdit::mouseDoubleClickEvent(event);
    QTextCursor cursor = textCursor();
    const Neighbourhood n = neighbourhood(clicked.block());
    if (!cursor.hasSelection() || n.first == n.last)
        return;
    QTextDocument line(n.text);
    QTextCursor word(&line);
    word.setPosition(offsetIn(n, clicked.position()));
    word.select(QTextCursor::WordUnderCursor);
    if (!word.hasSelection())
        return;
    cursor.setPosition(boxPositionIn(n, word.selectionStart()));
    // The end of the word stays before a break, in the piece that holds its last character.
    cursor.setPosition(boxPositionIn(n, word.selectionEnd() - 1) + 1, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void LongLineEdit::keyPressEvent(QKeyEvent *event)
{
    if (const int scrolledFrom = verticalScrollBar()->value(); wordKey(event)) {
        keepMarginBelowCaret(scrolledFrom);
        return;
    }
    QTextCursor cursor = textCursor();
    if (const Side side = sideToCross(event, cursor); side != Side::None) {
        cursor.movePosition(side == Side::Before ? QTextCursor::PreviousCharacter
                                                 : QTextCursor::NextCharacter,
                            selects(event) ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        setTextCursor(cursor);
    }
    const int scrolledFrom = verticalScrollBar()->value();
    QPlainTextEdit::keyPressEvent(event);
    keepMarginBelowCaret(scrolledFrom);
    // End on a line that wraps stops before a blank at its end; a piece's last line wraps too.
    const bool selectsToEnd = event->matches(QKeySequence::SelectEndOfLine);
    if (selectsToEnd || event->matches(QKeySequence::MoveToEndOfLine)) {
        cursor = textCursor();
        const QString text = cursor.block().text();
        if (cursor.atBlockEnd() && continuesLine(cursor.block().next()) && !text.isEmpty() &&
            text.back().isSpace()) {
            cursor.movePosition(QTextCursor::PreviousCharacter,
                                selectsToEnd ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
            setTextCursor(cursor);
        }
    }
}
