#include "calculator/window/textboxdisplay.h"

#include "calculator/window/displayform.h"
#include "widgets/longlineedit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QInputMethod>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace
{

// Texts up to this many characters go into the box at once; longer ones are loaded from their
// end, this much first, and then in chunks sized to take this long each.
constexpr qsizetype kLoadAtOnce = 256 * 1024;
constexpr qsizetype kFirstChunk = 32 * 1024;
constexpr qint64 kChunkNanoseconds = 8'000'000;

} // namespace

TextBoxDisplay::TextBoxDisplay(std::function<void()> userEdited)
    : m_userEdited(std::move(userEdited))
{
    m_loader.setInterval(0);
    m_loader.callOnTimeout([this] { loadChunk(); });
    m_tidy.setInterval(0);
    m_tidy.setSingleShot(true);
    m_tidy.callOnTimeout([this] { tidyPieces(); });
}

TextBoxDisplay::~TextBoxDisplay()
{
    QObject::disconnect(m_changes);
    QObject::disconnect(m_edits);
    QObject::disconnect(m_inputDirection);
    QObject::disconnect(m_relayouts);
}

void TextBoxDisplay::attach(QPlainTextEdit *box)
{
    stopLoading();
    QObject::disconnect(m_changes);
    QObject::disconnect(m_edits);
    QObject::disconnect(m_inputDirection);
    QObject::disconnect(m_relayouts);
    m_tidy.stop();
    m_joinWanted = m_splitWanted = m_directionWanted = m_rewrapped = false;
    m_box = qobject_cast<LongLineEdit *>(box);
    Q_ASSERT(m_box || !box);
    m_text.clear();
    m_boxLength = 0;
    m_lineSeparators = false;
    if (!m_box)
        return;
    m_box->recountPieces();
    m_changes = QObject::connect(
        box->document(), &QTextDocument::contentsChange, box,
        [this](int from, int removed, int added) { boxChanged(from, removed, added); });
    m_edits = QObject::connect(box, &QPlainTextEdit::textChanged, box, [this] {
        if (!m_changing)
            m_userEdited();
    });
    // An empty paragraph takes the direction of the keyboard.
    m_inputDirection =
        QObject::connect(QGuiApplication::inputMethod(), &QInputMethod::inputDirectionChanged, box,
                         [this] { setRightToLeft(m_rightToLeft); });
    // At a new width the lines wrap elsewhere, and the pieces must be one paragraph again.
    if (auto *layout = qobject_cast<QPlainTextDocumentLayout *>(box->document()->documentLayout()))
        m_relayouts = QObject::connect(layout, &QAbstractTextDocumentLayout::update, box, [this] {
            if (m_box->piecesWidthChanged()) {
                m_rewrapped = true;
                m_tidy.start();
            }
        });
    const QString raw = box->document()->toRawText();
    m_lineSeparators = raw.contains(QChar(kLineSeparator));
    setRightToLeft(mayBeRightToLeft(raw));
    rereadBox();
}

QString TextBoxDisplay::text() const
{
    return m_box ? m_text : QString();
}

bool TextBoxDisplay::isEmpty() const
{
    return !m_box || m_text.isEmpty();
}

QChar TextBoxDisplay::lastChar() const
{
    if (isEmpty())
        return {};
    const QTextDocument *doc = m_box->document();
    // An empty last piece adds nothing to the text.
    QTextBlock last = doc->lastBlock();
    while (last.length() == 1 && LongLineEdit::continuesLine(last))
        last = last.previous();
    // A paragraph ends in a separator; the one before it is the text's.
    const QChar c = doc->characterAt(last.position() + last.length() - 2);
    return c == QChar::ParagraphSeparator ? QChar(u'\n') : c;
}

void TextBoxDisplay::append(const QString &piece)
{
    if (!m_box)
        return;
    bool lineSeparators = false;
    m_text += displayForm(piece, lineSeparators);
    m_lineSeparators |= lineSeparators;
    if (!m_rightToLeft && mayBeRightToLeft(piece))
        setRightToLeft(true);
    m_changing = true;
    QTextCursor cursor(m_box->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(piece);
    splitLast();
    m_changing = false;
    m_boxLength = m_box->document()->characterCount() - 1;
    showEnd();
    checkText();
}

void TextBoxDisplay::setText(const QString &text)
{
    if (!m_box)
        return;
    // Going back a step mostly drops what came after the step: only that tail leaves the box.
    if (text.size() <= m_text.size() && m_text.startsWith(text) && cutAt(text.size()))
        return;
    bool lineSeparators = false;
    QString shown = displayForm(text, lineSeparators);
    stopLoading();
    setRightToLeft(mayBeRightToLeft(text));
    m_lineSeparators = lineSeparators;
    m_text = std::move(shown);
    // Only a text the box gives back as it is can be loaded in pieces of that text.
    const qsizetype from = m_text.size() > kLoadAtOnce && m_text.isSharedWith(text)
                               ? lineStart(m_text, m_text.size() - kFirstChunk)
                               : 0;
    m_changing = true;
    setBoxText(from == 0 ? text : m_text.sliced(from));
    m_changing = false;
    m_boxLength = m_box->document()->characterCount() - 1;
    showEnd();
    if (from > 0 || m_box->cuttingAhead())
        startLoading(from);
    checkText();
}

void TextBoxDisplay::truncate(qsizetype size)
{
    if (m_box && !cutAt(size))
        setText(m_text.first(std::min(size, m_text.size())));
}

// Cuts the text after its first `size` characters when that leaves the box as setting that start
// whole would. A start of the shown text reads back as it is, unless it ends inside a line break.
bool TextBoxDisplay::cutAt(qsizetype size)
{
    if (size > m_text.size() || (size > 0 && m_text[size - 1] == u'\r') || !cutTo(size))
        return false;
    m_boxLength = m_box->document()->characterCount() - 1;
    showEnd();
    checkText();
    return true;
}

// Sets the box's text anew, as its setPlainText would, leaving its layout with no widest line to
// look for later.
//
// The box's layout keeps the number of its widest paragraph. When that paragraph is laid out
// narrower, as the growing last line is after a step back or a deletion, the layout looks through
// every paragraph for the next widest: tens of milliseconds in a long document. Lines wrap, so
// none is wider than the box. Two paragraph breaks made at the start of an empty document and
// the second taken out again leave that number past the last paragraph, where later edits keep
// it, provided nothing is laid out in between; the box tells its layout its width as the widest
// at every resize, and a resize to the same size makes it do so now, while there is little to
// lay out again. The break that is left goes after the text is in.
void TextBoxDisplay::setBoxText(const QString &text)
{
    QTextDocument *doc = m_box->document();
    m_box->setPlainText(QString());
    m_box->recountPieces();
    QTextCursor cursor(doc);
    {
        const QSignalBlocker quiet(doc->documentLayout());
        cursor.insertText(QStringLiteral("\n\n"));
        cursor.setPosition(1);
        cursor.deleteChar();
    }
    QResizeEvent resize(m_box->viewport()->size(), QSize(-1, -1));
    QCoreApplication::sendEvent(m_box->viewport(), &resize);
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    cursor.setPosition(0);
    // In one edit, so that the box lays out none of it yet: a long last line is cut where it
    // wraps from the event loop.
    cursor.beginEditBlock();
    const qsizetype lastLine = m_lineSeparators ? text.size() : text.lastIndexOf(u'\n') + 1;
    cursor.insertText(text.first(lastLine));
    m_box->insertLongLine(cursor, QStringView(text).sliced(lastLine));
    cursor.deleteChar();
    cursor.endEditBlock();
    if (!m_box->cuttingAhead())
        splitLast();
    doc->setUndoRedoEnabled(undo);
    doc->clearUndoRedoStacks();
}

// Cuts the text to its first `size` characters, as setting that text whole would: the undo
// history goes, and the text is shown from the top first and then from its end. False when that
// would not look the same: a text set whole starts with every paragraph counted as one line in the
// scroll bar, a cut one keeps the lines counted when its paragraphs were laid out.
bool TextBoxDisplay::cutTo(qsizetype size)
{
    if (m_lineSeparators || size < m_loadedFrom || m_box->cuttingAhead())
        return false;
    QTextDocument *doc = m_box->document();
    const int cut = boxPositionOf(m_box->document(), m_text, size);
    if (cut < 0)
        return false;
    // Pieces are laid out as they are cut, and not counted here.
    QTextBlock counted = doc->findBlock(cut);
    if (const QTextBlock piece = m_box->firstPiece();
        piece.isValid() && piece.blockNumber() < counted.blockNumber())
        counted = piece;
    int linesFrom = 0;
    for (QTextBlock block = counted; block.isValid(); block = block.next())
        linesFrom += block.lineCount();
    if (doc->lineCount() - linesFrom != counted.blockNumber())
        return false;

    const bool undo = doc->isUndoRedoEnabled() || m_loader.isActive();
    m_changing = true;
    doc->setUndoRedoEnabled(false);
    if (cut < doc->characterCount() - 1) {
        m_box->forgetPiecesAfter(cut);
        QTextCursor cursor(doc);
        cursor.setPosition(cut);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    doc->setUndoRedoEnabled(undo && !m_loader.isActive());
    m_changing = false;
    m_text.truncate(size);
    m_box->verticalScrollBar()->setValue(0);
    return true;
}

// Brings the text up to date with a change in the box that the display did not make: an edit
// by the user, undo or redo. The box reports the changed range in its own positions, where a
// line break is one character and a break between pieces one too, but none in the text;
// counting the paragraphs and pieces before a position maps it.
void TextBoxDisplay::boxChanged(int from, int, int added)
{
    QTextDocument *doc = m_box->document();
    const qsizetype length = doc->characterCount() - 1;
    const int blockCount = std::exchange(m_blockCount, doc->blockCount());
    if (m_changing) {
        m_boxLength = length;
        return;
    }
    // The reported counts may take in the document's own final separator.
    const qsizetype unchangedEnd = std::max<qsizetype>(0, length - from - added);
    const qsizetype addedHere = length - from - unchangedEnd;
    const qsizetype removedHere = m_boxLength - from - unchangedEnd;
    m_boxLength = length;
    if (m_lineSeparators || from < 0 || addedHere < 0 || removedHere < 0)
        return rereadBox();

    const QTextBlock first = doc->findBlock(from);
    const QTextBlock last = doc->findBlock(int(length - unchangedEnd));
    // A change in a piece that another follows makes its lines wrap elsewhere, and so does one
    // to the first character of a piece, which the line before would have taken if it fitted;
    // a piece emptied before the end shows a line that is not in the text.
    bool wrapsElsewhere = LongLineEdit::continuesLine(first) && from - first.position() < 2;
    // Only an undo or a redo brings breaks between pieces into the box.
    bool breaksAdded = false;
    for (QTextBlock b = first; b.isValid() && b.blockNumber() <= last.blockNumber(); b = b.next()) {
        wrapsElsewhere |=
            LongLineEdit::continuesLine(b.next()) ||
            (b.length() == 1 && LongLineEdit::continuesLine(b) && b != doc->lastBlock());
        breaksAdded |= b != first && LongLineEdit::continuesLine(b);
    }
    if ((m_box->pieceBreaks() > 0 && (first != last || blockCount != m_blockCount)) || breaksAdded)
        m_box->recountPieces();

    QTextCursor cursor(doc);
    cursor.setPosition(from);
    cursor.setPosition(int(from + addedHere), QTextCursor::KeepAnchor);
    QString piece = cursor.selectedText();
    if (breaksAdded)
        piece = LongLineEdit::withoutPieceBreaks(doc, std::move(piece), from);
    if (!m_rightToLeft && mayBeRightToLeft(piece))
        setRightToLeft(true);
    if (piece.contains(QChar(kLineSeparator))) {
        m_lineSeparators = true;
        return rereadBox();
    }
    const int breaks = m_box->pieceBreaks();
    const qsizetype start =
        m_loadedFrom + from + first.blockNumber() - 2 * (breaks - m_box->pieceBreaksAfter(from));
    const qsizetype end = m_text.size() - unchangedEnd -
                          (doc->blockCount() - 1 - last.blockNumber()) +
                          2 * m_box->pieceBreaksAfter(int(length - unchangedEnd));
    if (end < start)
        return rereadBox();
    m_text.replace(start, end - start, displayForm(piece));

    const bool atEnd = unchangedEnd == 0 && first == doc->lastBlock();
    m_joinWanted |= wrapsElsewhere;
    // A letter typed or taken out may change the direction of a line whose earlier pieces have
    // none of their own.
    m_directionWanted |= m_box->pieceBreaks() > 0 && m_rightToLeft;
    m_splitWanted |= atEnd;
    if (m_joinWanted || m_directionWanted ||
        (atEnd && (breaks > 0 || doc->lastBlock().length() > 2 * LongLineEdit::kPieceLength)))
        m_tidy.start();
    checkText();
}

void TextBoxDisplay::rereadBox()
{
    m_box->recountPieces();
    QString shown = m_box->toPlainText();
    if (m_box->pieceBreaks() > 0) {
        shown = LongLineEdit::withoutPieceBreaks(m_box->document(), std::move(shown), 0);
        m_joinWanted = true;
        m_tidy.start();
    }
    m_text = m_text.first(m_loadedFrom) + displayForm(shown);
    m_boxLength = m_box->document()->characterCount() - 1;
    m_blockCount = m_box->document()->blockCount();
}

// Pieces only where no paragraph holds a line separator, which starts a line anew.
void TextBoxDisplay::splitLast()
{
    if (m_lineSeparators)
        m_box->joinPieces();
    else
        m_box->splitLast();
}

void TextBoxDisplay::tidyPieces()
{
    const bool rewrapped = std::exchange(m_rewrapped, false);
    const bool join = std::exchange(m_joinWanted, false) || rewrapped;
    const bool split = std::exchange(m_splitWanted, false);
    const bool direction = std::exchange(m_directionWanted, false);
    if (!m_box)
        return;
    // An undo brings back the pieces as they were, and a change now would end what can be
    // redone; only pieces cut for another width must go. The box counted each piece it brought
    // back as one line when it showed the caret.
    if (m_box->document()->isRedoAvailable() && !rewrapped) {
        if (m_box->pieceBreaks() > 0) {
            const int scrolledFrom = m_box->verticalScrollBar()->value();
            m_box->layOutPieces();
            m_box->showCaret(scrolledFrom);
        }
        return;
    }
    m_changing = true;
    if (join)
        m_box->joinPieces();
    else
        m_box->dropEmptyEnd();
    if (split)
        splitLast();
    if (direction)
        m_box->alignPieceDirections();
    m_changing = false;
    checkText();
}

// In every build but Release, which the tests and the random-input runs use: the text kept is
// the box's.
void TextBoxDisplay::checkText() const
{
#ifdef YAOSHI_CHECKS
    if (QStringView(m_text).sliced(m_loadedFrom) != displayForm(m_box->lineText()))
        qFatal("TextBoxDisplay: the text kept differs from the box's");
#endif
}

void TextBoxDisplay::startLoading(qsizetype from)
{
    m_loadedFrom = from;
    m_chunk = kFirstChunk;
    // Like the text set at once, the loaded one starts with nothing to undo; what is typed
    // meanwhile cannot be undone, as loading would clear it again chunk by chunk.
    m_box->document()->setUndoRedoEnabled(false);
    m_loader.start();
}

void TextBoxDisplay::stopLoading()
{
    if (!m_loader.isActive())
        return;
    m_loader.stop();
    m_loadedFrom = 0;
    if (m_box) {
        m_box->stopCuttingAhead();
        m_box->document()->setUndoRedoEnabled(true);
    }
}

// Cuts the next part of a long last line where it wraps, or else puts the next chunk of the text
// before the box's content, keeping in view what was in view.
void TextBoxDisplay::loadChunk()
{
    if (!m_box)
        return stopLoading();
    QTextDocument *doc = m_box->document();
    if (m_box->cuttingAhead()) {
        m_changing = true;
        m_box->cutAhead();
        m_changing = false;
        m_boxLength = doc->characterCount() - 1;
        checkText();
    } else if (m_loadedFrom > 0) {
        loadBefore();
    }
    if (m_loadedFrom == 0 && !m_box->cuttingAhead()) {
        m_loader.stop();
        doc->setUndoRedoEnabled(true);
    }
}

void TextBoxDisplay::loadBefore()
{
    QElapsedTimer timer;
    timer.start();
    QTextDocument *doc = m_box->document();
    const qsizetype from = lineStart(m_text, std::max<qsizetype>(0, m_loadedFrom - m_chunk));
    const int lines = doc->lineCount();
    m_changing = true;
    QTextCursor cursor(doc);
    cursor.insertText(QStringView(m_text).sliced(from, m_loadedFrom - from).toString());
    m_changing = false;
    m_loadedFrom = from;
    m_boxLength = doc->characterCount() - 1;
    QScrollBar *bar = m_box->verticalScrollBar();
    bar->setValue(bar->value() + doc->lineCount() - lines);
    const qint64 took = timer.nsecsElapsed();
    if (took < kChunkNanoseconds / 2)
        m_chunk *= 2;
    else if (took > kChunkNanoseconds && m_chunk > kFirstChunk / 4)
        m_chunk /= 2;
}

void TextBoxDisplay::setRightToLeft(bool rightToLeft)
{
    m_rightToLeft = rightToLeft;
    QTextDocument *doc = m_box->document();
    QTextOption option = doc->defaultTextOption();
    const Qt::LayoutDirection direction =
        rightToLeft || QGuiApplication::inputMethod()->inputDirection() == Qt::RightToLeft
            ? Qt::LayoutDirectionAuto
            : Qt::LeftToRight;
    if (option.textDirection() == direction)
        return;
    option.setTextDirection(direction);
    doc->setDefaultTextOption(option);
    if (m_box->pieceBreaks() > 0) {
        m_directionWanted = true;
        m_tidy.start();
    }
}

void TextBoxDisplay::showEnd()
{
    const int scrolledFrom = m_box->verticalScrollBar()->value();
    QTextCursor cursor = m_box->textCursor();
    cursor.movePosition(QTextCursor::End);
    m_box->setTextCursor(cursor);
    m_box->showCaret(scrolledFrom);
}
