#pragma once

#include <QString>
#include <QStringView>

class QTextDocument;

// The calculator's text as its display shows it: line breaks as CR LF.

// U+2028, one character in the box but a line break in the text.
inline constexpr char16_t kLineSeparator = 0x2028;

// Whether `text` already reads as the box would give it back: CR LF pairs as the only line
// breaks, no character the box rewrites.
bool isDisplayForm(QStringView text);
// The text as the box shows it, with CR LF line breaks: what reading the box back gives.
// `lineSeparators` tells whether it held U+2028.
QString displayForm(const QString &text, bool &lineSeparators);
QString displayForm(const QString &text);
// Whether the text may hold a letter of a right-to-left script, which would turn its paragraph
// right to left.
bool mayBeRightToLeft(QStringView text);
// The start of the line of `text` that holds position `at`.
qsizetype lineStart(QStringView text, qsizetype at);
// The position in `doc` of the character at `size` in `text`, whose end `doc` shows, a long line
// perhaps in pieces; -1 when `size` falls inside a line break or before what `doc` shows.
int boxPositionOf(const QTextDocument *doc, QStringView text, qsizetype size);
