#include "calculator/window/displayform.h"

#include "widgets/longlineedit.h"

#include <QTextBlock>
#include <QTextDocument>

namespace
{

constexpr char16_t kNoBreakSpace = 0xa0;
constexpr char16_t kParagraphSeparator = 0x2029;
// Frame marks; a plain text box turns them into paragraph breaks as they come in.
constexpr char16_t kFrameStart = 0xfdd0;
constexpr char16_t kFrameEnd = 0xfdd1;

// What the box gives back differently from what it was given: every kind of line break reads
// as one, and a no-break space as a blank.
constexpr bool isRewritten(char16_t c)
{
    return c == kNoBreakSpace || c == kLineSeparator || c == kParagraphSeparator ||
           c == kFrameStart || c == kFrameEnd;
}

} // namespace

// Written as one pass of bit operations without an early exit, which the compiler can vectorise:
// it runs over every text the display is set to.
bool isDisplayForm(QStringView text)
{
    const auto *p = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype n = text.size();
    if (n == 0)
        return true;
    const auto rewritten = [](char16_t c) {
        static_assert(kLineSeparator + 1 == kParagraphSeparator && kFrameStart + 1 == kFrameEnd);
        return unsigned(c == kNoBreakSpace) | unsigned((c & 0xfffe) == kLineSeparator) |
               unsigned((c & 0xfffe) == kFrameStart);
    };
    unsigned odd = unsigned(p[0] == u'\n') | unsigned(p[n - 1] == u'\r') | rewritten(p[n - 1]);
    for (qsizetype i = 0; i + 1 < n; ++i)
        odd |= (unsigned(p[i] == u'\r') ^ unsigned(p[i + 1] == u'\n')) | rewritten(p[i]);
    return odd == 0;
}

QString displayForm(const QString &text, bool &lineSeparators)
{
    lineSeparators = false;
    if (isDisplayForm(text))
        return text;
    const auto *p = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype n = text.size();
    QString out(2 * n, Qt::Uninitialized);
    char16_t *q = reinterpret_cast<char16_t *>(out.data());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c == u'\r' || c == u'\n' || (isRewritten(c) && c != kNoBreakSpace)) {
            if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n')
                ++i;
            lineSeparators |= c == kLineSeparator;
            *q++ = u'\r';
            *q++ = u'\n';
        } else {
            *q++ = c == kNoBreakSpace ? u' ' : c;
        }
    }
    out.truncate(q - reinterpret_cast<const char16_t *>(out.constData()));
    out.squeeze();
    return out;
}

QString displayForm(const QString &text)
{
    bool lineSeparators = false;
    return displayForm(text, lineSeparators);
}

// Hebrew, Arabic and their neighbours, their presentation forms, the right-to-left mark, and the
// surrogates of the supplementary blocks of such scripts. Vectorised like the above.
bool mayBeRightToLeft(QStringView text)
{
    const auto *p = reinterpret_cast<const char16_t *>(text.utf16());
    const auto in = [](char16_t c, char16_t first, char16_t last) {
        return unsigned(char16_t(c - first) <= char16_t(last - first));
    };
    unsigned rightToLeft = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = p[i];
        rightToLeft |= in(c, 0x0590, 0x08ff) | unsigned(c == 0x200f) | in(c, 0xfb1d, 0xfdff) |
                       in(c, 0xfe70, 0xfeff) | in(c, 0xd802, 0xd803) | in(c, 0xd83a, 0xd83b);
    }
    return rightToLeft != 0;
}

qsizetype lineStart(QStringView text, qsizetype at)
{
    const qsizetype lineEnd = text.first(at).lastIndexOf(u'\n');
    return lineEnd < 0 ? 0 : lineEnd + 1;
}

int boxPositionOf(const QTextDocument *doc, QStringView text, qsizetype size)
{
    qsizetype rest = text.size() - size;
    for (QTextBlock b = doc->lastBlock(); b.isValid(); b = b.previous()) {
        const qsizetype length = b.length() - 1;
        // At the start of a piece, the place is the end of the one before: cut there, the
        // break goes too.
        const bool continues = LongLineEdit::continuesLine(b);
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
