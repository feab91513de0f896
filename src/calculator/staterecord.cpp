#include "staterecord.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QVarLengthArray>

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace staterecord
{

namespace
{

const QString kTrue = QStringLiteral("#TRUE#");
const QString kFalse = QStringLiteral("#FALSE#");

void appendQuoted(QString &out, const QString &text)
{
    out += u'"';
    qsizetype from = 0;
    for (qsizetype q = text.indexOf(u'"'); q >= 0; q = text.indexOf(u'"', from)) {
        out += QStringView(text).mid(from, q - from + 1);
        out += u'"';
        from = q + 1;
    }
    out += QStringView(text).mid(from);
    out += u'"';
}

// The display text, quoted, straight into UTF-8: a display of megabytes is neither built in
// UTF-16 first nor converted into a copy of its own. Pieces end after a quote, so none splits a
// surrogate pair. A piece with surrogates goes through toUtf8(), which writes an unpaired one as
// "?" where the encoder would write U+FFFD.
void appendQuotedUtf8(QByteArray &out, QStringView text)
{
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    const auto hasSurrogates = [](QStringView piece) {
        bool found = false;
        for (const QChar c : piece)
            found |= c.isSurrogate();
        return found;
    };
    out += '"';
    for (qsizetype from = 0;;) {
        const qsizetype quote = text.indexOf(u'"', from);
        const QStringView piece = text.sliced(from, (quote < 0 ? text.size() : quote + 1) - from);
        if (hasSurrogates(piece)) {
            out += piece.toUtf8();
        } else {
            const qsizetype at = out.size();
            out.resize(at + utf8.requiredSpace(piece.size()));
            out.truncate(utf8.appendToBuffer(out.data() + at, piece) - out.constData());
        }
        if (quote < 0)
            break;
        out += '"';
        from = quote + 1;
    }
    out += '"';
}

// Numbers go through a buffer on the stack: a record is written on every operator key.
void appendInteger(QString &out, qint32 value)
{
    char buf[16];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    out += QLatin1StringView(buf, result.ptr);
}

void appendReal(QString &out, double value)
{
    char buf[40];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    for (char *p = buf; p != result.ptr; ++p)
        out += QLatin1Char(*p == 'e' ? 'E' : *p);
}

// A field as a view of the record's text: reading a record must not cost an allocation per line,
// as going back reads one on a key press.
struct Field {
    QStringView text; // of a quoted field: between its quotes, inner quotes still doubled
    bool quoted = false;
};
// Most lines hold one field, kept inline.
using Line = QVarLengthArray<Field, 1>;

QString unquoted(QStringView text)
{
    QString out = text.toString();
    out.replace(QLatin1String("\"\""), QLatin1String("\""));
    return out;
}

// Splits the text into lines of fields. A quoted field runs to its closing quote, line breaks
// included; "" inside it stands for one quote.
std::optional<QList<Line>> splitFields(const QString &text, ReadResult &error)
{
    // Each line is filled where it stands in the list: moving one would copy it.
    QList<Line> lines;
    lines.reserve(
        std::min<qsizetype>(text.count(u'\n') + 1, 2 + kMaxNums + kMaxOps + kMaxNameLines));
    lines.emplaceBack();
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto atLineEnd = [&] { return i >= n || text[i] == u'\r' || text[i] == u'\n'; };
    const auto skipLineEnd = [&] {
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n')
            ++i;
    };
    while (i < n) {
        while (i < n && (text[i] == u' ' || text[i] == u'\t'))
            ++i;
        Field field;
        if (i < n && text[i] == u'"') {
            field.quoted = true;
            const qsizetype start = ++i;
            for (;;) {
                const qsizetype q = text.indexOf(u'"', i);
                if (q < 0) {
                    error = {Error::UnclosedQuote};
                    return std::nullopt;
                }
                i = q + 1;
                if (i < n && text[i] == u'"') {
                    ++i;
                    continue;
                }
                field.text = QStringView(text).mid(start, q - start);
                break;
            }
            while (i < n && text[i] == u' ')
                ++i;
            if (!atLineEnd() && text[i] != u',') {
                error = {Error::TextAfterQuote, int(lines.size())};
                return std::nullopt;
            }
        } else {
            // Qt's searches rather than a test per character: the field ends at a comma or at
            // the end of its line.
            const qsizetype end = text.indexOf(u'\n', i);
            QStringView rest = QStringView(text).mid(i, end < 0 ? n - i : end - i);
            if (const qsizetype cr = rest.indexOf(u'\r'); cr >= 0)
                rest.truncate(cr);
            if (const qsizetype comma = rest.indexOf(u','); comma >= 0)
                rest.truncate(comma);
            field.text = rest.trimmed();
            i += rest.size();
        }
        lines.back().append(field);
        if (i < n && text[i] == u',') {
            ++i;
            continue;
        }
        skipLineEnd();
        if (i < n)
            lines.emplaceBack();
    }
    // Blank lines at the end (a final line break, an editor's extra newline) carry nothing.
    while (!lines.isEmpty() && lines.back().size() == 1 && !lines.back()[0].quoted &&
           lines.back()[0].text.isEmpty())
        lines.removeLast();
    return lines;
}

// The characters as the number readers take them; none beyond ASCII belongs to a number.
void appendAscii(QVarLengthArray<char, 64> &out, QStringView text)
{
    for (const QChar c : text)
        out.append(c.unicode() < 0x80 ? char(c.unicode()) : '?');
}

template <typename Int> std::optional<Int> toInteger(const Field &field)
{
    if (field.quoted)
        return std::nullopt;
    QVarLengthArray<char, 64> chars;
    appendAscii(chars, field.text);
    Int value{};
    const auto [ptr, ec] = std::from_chars(chars.begin(), chars.end(), value);
    if (ec != std::errc() || ptr != chars.end())
        return std::nullopt;
    return value;
}

std::optional<double> toReal(const Field &field)
{
    if (field.quoted || field.text.isEmpty())
        return std::nullopt;
    QStringView text = field.text;
    if (text.startsWith(u'+'))
        text = text.mid(1);
    QVarLengthArray<char, 64> chars;
    // Older writers drop the zero before the point: ".5", "-.5".
    if (text.startsWith(u'.')) {
        chars.append('0');
    } else if (text.startsWith(u"-.")) {
        chars.append("-0", 2);
        text = text.mid(1);
    }
    appendAscii(chars, text);
    double value = 0;
    const auto [ptr, ec] = std::from_chars(chars.begin(), chars.end(), value);
    if (ec != std::errc() || ptr != chars.end() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// UTF-8, or GB18030 when the bytes are not valid UTF-8; a null string when neither fits.
QString decode(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb("GB18030");
    if (!gb.isValid())
        return QString();
    text = gb.decode(bytes);
    return gb.hasError() ? QString() : text;
}

// A record that starts with the display text in quotes, as every record this program writes:
// that field, megabytes long, is decoded from UTF-8 on its own into `shown` (unless it is left
// out), and the rest with an empty field in its place into `rest`. False otherwise, or when a part
// is not whole UTF-8: the record is then decoded whole, which then gives what these two make.
bool splitShownText(QByteArrayView bytes, QString &shown, QString &rest, Text text)
{
    if (bytes.isEmpty() || bytes.front() != '"')
        return false;
    bool doubled = false;
    qsizetype close = 1;
    for (;; close += 2) {
        close = bytes.indexOf('"', close);
        if (close < 0)
            return false;
        if (close + 1 == bytes.size() || bytes[close + 1] != '"')
            break;
        doubled = true;
    }
    const auto decoded = [](QByteArrayView part, QString &out) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        out = utf8.decode(part);
        return !utf8.hasError();
    };
    QString after;
    if ((text == Text::Decode && !decoded(bytes.sliced(1, close - 1), shown)) ||
        !decoded(bytes.sliced(close + 1), after))
        return false;
    rest = QStringLiteral("\"\"") + after;
    if (doubled)
        shown.replace(QLatin1String("\"\""), QLatin1String("\""));
    return true;
}

} // namespace

QByteArray write(const CalcState &s, int slot)
{
    return write(s, slot, s.snaptext);
}

QByteArray write(const CalcState &s, int slot, QStringView text)
{
    const QString name = slotName(slot);
    QByteArray record;
    appendQuotedUtf8(record, text);
    QString out;
    out.reserve(64 + 24 * (s.numtop + s.optop) + 12 * name.size());
    const auto endLine = [&] { out += QLatin1String("\r\n"); };
    for (const qint16 v : {s.numtop, s.parens, s.optop, s.numlen, s.pointset}) {
        out += u',';
        appendInteger(out, v);
    }
    out += u',';
    appendQuoted(out, s.pendingText());
    out += u',';
    out += s.changed ? kTrue : kFalse;
    out += u',';
    appendInteger(out, s.stepcount);
    endLine();
    for (int k = 1; k <= s.numtop; ++k) {
        appendReal(out, s.nums[k]);
        endLine();
    }
    for (int k = 1; k <= s.optop; ++k) {
        appendInteger(out, s.ops[k]);
        endLine();
    }
    for (int k = 0; k < kNameLines; ++k) {
        appendQuoted(out, name);
        endLine();
    }
    record += out.toUtf8();
    return record;
}

ReadResult read(QByteArrayView bytes, CalcState &state, Text shownText)
{
    if (bytes.isEmpty())
        return {Error::Empty};
    QString shown;
    QString text;
    const bool split = splitShownText(bytes, shown, text, shownText);
    if (!split)
        text = decode(bytes);
    if (text.isNull())
        return {Error::UnknownEncoding};

    ReadResult error;
    const auto lines = splitFields(text, error);
    if (!lines)
        return error;
    if (lines->isEmpty() || lines->front().size() != 9)
        return {Error::HeadFieldCount, 1};

    const Line &head = lines->front();
    CalcState next = state;
    if (!head[0].quoted || !head[6].quoted)
        return {Error::HeadUnquoted, 1};
    const auto numtop = toInteger<qint16>(head[1]);
    const auto parens = toInteger<qint16>(head[2]);
    const auto optop = toInteger<qint16>(head[3]);
    const auto numlen = toInteger<qint16>(head[4]);
    const auto pointset = toInteger<qint16>(head[5]);
    const auto stepcount = toInteger<qint32>(head[8]);
    if (!numtop || !parens || !optop || !numlen || !pointset || !stepcount)
        return {Error::HeadNotInteger, 1};
    if (*numtop < 0 || *numtop > kMaxNums || *optop < 0 || *optop > kMaxOps || *numlen < 0 ||
        *numlen > kMaxEntry || *parens < 0 || *parens > kMaxOps || *pointset < 0 || *pointset > 1 ||
        (*pointset == 1 && *numlen == 0) || *stepcount < 0)
        return {Error::HeadOutOfRange, 1};
    if (head[7].quoted || (head[7].text != kTrue && head[7].text != kFalse))
        return {Error::HeadFlag, 1};

    // The stack lines run up to the first quoted line; their count tells the full layout from
    // the older one that kept only positions 1, 3, 5, ...
    qsizetype stackLines = 0;
    while (1 + stackLines < lines->size() && !(*lines)[1 + stackLines].front().quoted)
        ++stackLines;
    const int full = *numtop + *optop;
    const int oddOnly = (*numtop + 1) / 2 + (*optop + 1) / 2;
    if (stackLines != full && stackLines != oddOnly)
        return {Error::StackLineCount};
    // The older layout is checked, but its stacks are never used (below).
    const bool fullLayout = stackLines == full;
    const int step = fullLayout ? 1 : 2;

    const qsizetype names = lines->size() - 1 - stackLines;
    if (names < kNameLines || names > kMaxNameLines)
        return {Error::NameLineCount};
    for (qsizetype k = 1; k < lines->size(); ++k) {
        const Line &line = (*lines)[k];
        if (line.size() != 1 || (k > stackLines && !line.front().quoted))
            return {Error::LineFormat, int(k) + 1};
    }

    qsizetype lineNo = 1;
    for (int pos = 1; pos <= *numtop; pos += step, ++lineNo) {
        const auto value = toReal((*lines)[lineNo].front());
        if (!value)
            return {Error::NotFinite, int(lineNo) + 1};
        if (fullLayout)
            next.nums[pos] = *value;
    }
    for (int pos = 1; pos <= *optop; pos += step, ++lineNo) {
        const auto code = toInteger<qint16>((*lines)[lineNo].front());
        if (!code || !yaoshi::opFromCode(*code) || Op(*code) == Op::End)
            return {Error::NotOperator, int(lineNo) + 1};
        if (fullLayout)
            next.ops[pos] = *code;
    }

    next.snaptext = split ? std::move(shown) : unquoted(head[0].text);
    next.changed = head[7].text == kTrue;
    next.stepcount = *stepcount;
    ReadResult result;
    result.textLeftOut = split && shownText == Text::LeaveOut;
    if (fullLayout) {
        next.numtop = *numtop;
        next.parens = *parens;
        next.optop = *optop;
        next.numlen = *numlen;
        next.pointset = *pointset;
        next.entry = next.numlen > 0 ? unquoted(head[6].text) : QString();
    } else {
        // The even entries are lost, and going on with whatever stands there gives wrong
        // numbers.
        next.numtop = next.parens = next.optop = next.numlen = next.pointset = 0;
        next.entry.clear();
        result.calculationDropped = true;
    }
    state = std::move(next);
    return result;
}

} // namespace staterecord
