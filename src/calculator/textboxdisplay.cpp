#include "textboxdisplay.h"

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace
{

QString toBoxText(QString text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r"));
    return text.replace(lineBreak, QStringLiteral("\n"));
}

} // namespace

void TextBoxDisplay::attach(QPlainTextEdit *box)
{
    m_box = box;
    if (box) {
        QObject::connect(box, &QPlainTextEdit::textChanged, box, [this] {
            if (!m_writing)
                m_userEdited();
        });
    }
}

QString TextBoxDisplay::text() const
{
    if (!m_box)
        return {};
    return m_box->toPlainText().replace(u'\n', QLatin1String("\r\n"));
}

bool TextBoxDisplay::isEmpty() const
{
    return !m_box || m_box->document()->isEmpty();
}

QChar TextBoxDisplay::lastChar() const
{
    if (isEmpty())
        return {};
    const QTextDocument *doc = m_box->document();
    // The document ends in a paragraph separator of its own; the one before it is the text's.
    const QChar c = doc->characterAt(doc->characterCount() - 2);
    return c == QChar::ParagraphSeparator ? QChar(u'\n') : c;
}

void TextBoxDisplay::append(const QString &piece)
{
    if (!m_box)
        return;
    const QScopedValueRollback writing(m_writing, true);
    QTextCursor cursor(m_box->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(toBoxText(piece));
    showEnd();
}

void TextBoxDisplay::setText(const QString &text)
{
    if (!m_box)
        return;
    const QScopedValueRollback writing(m_writing, true);
    m_box->setPlainText(toBoxText(text));
    showEnd();
}

void TextBoxDisplay::showEnd()
{
    QTextCursor cursor = m_box->textCursor();
    cursor.movePosition(QTextCursor::End);
    m_box->setTextCursor(cursor);
    m_box->ensureCursorVisible();
}
