#pragma once

#include <QList>
#include <QPointer>
#include <QStringView>
#include <QTextBlock>

class QPlainTextEdit;

// The pieces of a long last line in a text box (see PlainTextBox). Qt lays a paragraph out whole
// at every change of it, which in a line of a megabyte takes a tenth of a second. Cut where its
// lines wrap, the line looks the same, and a change at its end lays out only the last piece.
//
// Every change made here is joined to the box's last step of undo, so that an undo never shows
// a state the user did not see.
class LinePieces
{
public:
    // A piece holds at least this many characters, and the last paragraph is cut when it holds
    // twice as many.
    static constexpr int kLength = 4096;

    void attach(QPlainTextEdit *box);
    // Breaks inside lines in the box, as counted at the last recount.
    int breaks() const { return m_breaks; }
    void recount();
    // Counts off the breaks after box position `position`, about to be cut away.
    void forgetAfter(int position) { m_breaks -= breaksAfter(position); }
    // Whether the box's lines have become wider or narrower since the pieces were cut.
    bool widthChanged() const;
    // The breaks inside lines after box position `position`.
    int breaksAfter(int position) const;
    // The box position of the character at `size` in `text`, whose end the box shows with CR LF
    // line breaks; -1 when `size` falls inside a line break or before what the box shows.
    int boxPosition(QStringView text, qsizetype size) const;
    // The first piece of the first line held in pieces; invalid when there are none.
    QTextBlock firstPiece() const;

    // Cuts the last paragraph into pieces when it is long; true when it did.
    bool splitLast();
    // Makes every line whole again.
    void join();
    // Lays out every piece, so that the scroll bar counts their lines.
    void layOut();
    // Takes out a break that has nothing after it.
    void dropEmptyEnd();

private:
    // The paragraphs after each break inside a line, from the end of the box.
    QList<QTextBlock> continuations() const;
    void showLineCounts(int scrollValue);

    QPointer<QPlainTextEdit> m_box;
    int m_breaks = 0;
    int m_width = 0; // of the box's viewport when the pieces were cut
};
