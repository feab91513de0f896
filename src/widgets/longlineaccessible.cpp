#include "widgets/longlineedit.h"

#include <QAccessibleWidget>
#include <QScrollBar>
#include <QTextDocument>

namespace
{

// What a screen reader reads of a LongLineEdit: its text and offsets in it without the breaks
// between pieces.
class LongLineAccessible final : public QAccessibleWidget,
                                 public QAccessibleTextInterface,
                                 public QAccessibleEditableTextInterface
{
public:
    explicit LongLineAccessible(LongLineEdit *edit)
        : QAccessibleWidget(edit, QAccessible::EditableText)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface && !edit()->isReadOnly())
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.multiLine = true;
        s.selectableText = true;
        s.readOnly = edit()->isReadOnly();
        s.editable = !s.readOnly;
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? edit()->lineText() : QAccessibleWidget::text(t);
    }

    void setText(QAccessible::Text t, const QString &text) override
    {
        if (t == QAccessible::Value && !edit()->isReadOnly())
            edit()->setPlainText(text);
        else
            QAccessibleWidget::setText(t, text);
    }

    // Text interface, in offsets of the line as it reads.
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        const QTextCursor cursor = edit()->textCursor();
        if (selectionIndex != 0 || !cursor.hasSelection())
            return;
        const QList<int> breaks = edit()->pieceBreakPositions();
        *startOffset = linePosition(breaks, cursor.selectionStart());
        *endOffset = linePosition(breaks, cursor.selectionEnd());
    }
    int selectionCount() const override { return edit()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override
    {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex != 0)
            return;
        QTextCursor cursor = edit()->textCursor();
        cursor.clearSelection();
        edit()->setTextCursor(cursor);
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0)
            edit()->setTextCursor(cursorOver(startOffset, endOffset));
    }
    int cursorPosition() const override
    {
        return linePosition(edit()->pieceBreakPositions(), edit()->textCursor().position());
    }
    void setCursorPosition(int position) override
    {
        edit()->setTextCursor(cursorOver(position, position));
    }
    QString text(int startOffset, int endOffset) const override
    {
        return edit()->lineText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override
    {
        return edit()->document()->characterCount() - 1 - int(edit()->pieceBreakPositions().size());
    }
    QRect characterRect(int offset) const override
    {
        const QTextCursor cursor = cursorOver(offset, offset);
        QRect r = edit()->cursorRect(cursor);
        r.moveTopLeft(edit()->viewport()->mapToGlobal(r.topLeft()));
        return r;
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        const QPoint local = edit()->viewport()->mapFromGlobal(point);
        return linePosition(edit()->pieceBreakPositions(),
                            edit()->cursorForPosition(local).position());
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        edit()->setTextCursor(cursorOver(startIndex, endIndex));
        edit()->showCaret(edit()->verticalScrollBar()->value());
    }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = offset;
        *endOffset = offset;
        return QString();
    }

    // Editable text interface.
    void deleteText(int startOffset, int endOffset) override
    {
        QTextCursor cursor = cursorOver(startOffset, endOffset);
        cursor.removeSelectedText();
    }
    void insertText(int offset, const QString &text) override
    {
        QTextCursor cursor = cursorOver(offset, offset);
        cursor.insertText(text);
    }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        QTextCursor cursor = cursorOver(startOffset, endOffset);
        cursor.insertText(text);
    }

private:
    LongLineEdit *edit() const { return static_cast<LongLineEdit *>(widget()); }

    // A cursor from line offset `anchor` to `position`, kept within the text.
    QTextCursor cursorOver(int anchor, int position) const
    {
        const QList<int> breaks = edit()->pieceBreakPositions();
        const int end = edit()->document()->characterCount() - 1;
        QTextCursor cursor = edit()->textCursor();
        cursor.setPosition(std::clamp(boxPosition(breaks, anchor), 0, end));
        cursor.setPosition(std::clamp(boxPosition(breaks, position), 0, end),
                           QTextCursor::KeepAnchor);
        return cursor;
    }
};

} // namespace

QAccessibleInterface *LongLineEdit::accessibleFactory(const QString &, QObject *object)
{
    auto *edit = qobject_cast<LongLineEdit *>(object);
    return edit ? new LongLineAccessible(edit) : nullptr;
}
