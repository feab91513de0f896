#include "widgets/plaintextbox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include <tuple>

namespace
{

// An object type that no text object has, so that nothing but this mark reads it.
constexpr int kPieceBreak = QTextFormat::UserObject + 0x2029;

// The caret on each side of a break inside a line is at one place in the text. A key that moves
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
    if (back && cursor.atBlockStart() && PlainTextBox::continuesLine(cursor.block()))
        return Side::Before;
    if (forward && cursor.atBlockEnd() && PlainTextBox::continuesLine(cursor.block().next()))
        return Side::After;
    return Side::None;
}

} // namespace

bool PlainTextBox::canInsertFromMimeData(const QMimeData *source) const
{
    return source && source->hasText() && !source->text().isEmpty();
}

void PlainTextBox::insertFromMimeData(const QMimeData *source)
{
    const int scrolledFrom = verticalScrollBar()->value();
    if (canInsertFromMimeData(source))
        insertPlainText(source->text());
    keepMarginBelowCaret(scrolledFrom);
}

// While the caret is in the document's first paragraph, the box scrolls the document's margin
// into view below it too. A first line held in pieces is one paragraph to the user.
void PlainTextBox::keepMarginBelowCaret(int scrolledFrom)
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

QTextCharFormat PlainTextBox::pieceBreakFormat()
{
    QTextCharFormat format;
    format.setObjectType(kPieceBreak);
    return format;
}

bool PlainTextBox::continuesLine(const QTextBlock &block)
{
    // A paragraph's character format is that of the break before it.
    return block.isValid() && block.blockNumber() > 0 &&
           block.charFormat().objectType() == kPieceBreak;
}

QString PlainTextBox::withoutPieceBreaks(const QTextDocument *doc, QString text, int from)
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

QMimeData *PlainTextBox::createMimeDataFromSelection() const
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

// Word moves and deletions find their words in the caret's piece and the pieces next to it, as
// they would in the line held whole; Qt's own stop at the end of every paragraph.
bool PlainTextBox::wordKey(const QKeyEvent *event)
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
    const QTextBlock block = cursor.block();
    const QTextBlock first = continuesLine(block) ? block.previous() : block;
    const QTextBlock last = continuesLine(block.next()) ? block.next() : block;
    if (act == Act::None || (act == Act::Delete && cursor.hasSelection()) || first == last)
        return false;
    QString text;
    int offset = 0;
    for (QTextBlock b = first;; b = b.next()) {
        if (b == block)
            offset = int(text.size()) + cursor.positionInBlock();
        text += b.text();
        if (b == last)
            break;
    }
    const QTextLayout words(text);
    const int target = forward ? words.nextCursorPosition(offset, QTextLayout::SkipWords)
                               : words.previousCursorPosition(offset, QTextLayout::SkipWords);
    if (target == offset)
        return false;
    // At a break, the place is the start of the piece after it.
    int position = target;
    for (QTextBlock b = first;; b = b.next()) {
        if (position < b.length() - 1 || b == last) {
            position += b.position();
            break;
        }
        position -= b.length() - 1;
    }
    cursor.setPosition(position,
                       act == Act::Move ? QTextCursor::MoveAnchor : QTextCursor::KeepAnchor);
    if (act == Act::Delete)
        cursor.removeSelectedText();
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

// A third click selects the paragraph under the pointer: a line held in pieces, whole.
void PlainTextBox::mousePressEvent(QMouseEvent *event)
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

void PlainTextBox::keyPressEvent(QKeyEvent *event)
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
