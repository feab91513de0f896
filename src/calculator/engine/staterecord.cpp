#include "calculator/engine/staterecord.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace staterecord
{

namespace
{

constexpr QLatin1StringView kTrue("#TRUE#");
constexpr QLatin1StringView kFalse("#FALSE#");

// A record is written on every operator key: straight into a buffer sized for the worst case,
// with no appending (and so no checks for room) along the way.

// A text, quoted, straight into UTF-8: a display of megabytes is neither built in UTF-16 first
// nor converted into a copy of its own. At most three bytes a character, two for a quote.
// Pieces end after a quote, so none splits a surrogate pair. A piece with an unpaired surrogate
// goes through toUtf8(), which writes it as "?" where the encoder would write U+FFFD; paired
// ones both write alike.
char *writeQuoted(char *out, QStringView text)
{
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    *out++ = '"';
    for (qsizetype from = 0;;) {
        const qsizetype quote = text.indexOf(u'"', from);
        const QStringView piece = text.sliced(from, (quote < 0 ? text.size() : quote + 1) - from);
        if (!piece.isValidUtf16()) {
            const QByteArray bytes = piece.toUtf8();
            out = std::copy(bytes.begin(), bytes.end(), out);
        } else {
            out = utf8.appendToBuffer(out, piece);
        }
        if (quote < 0)
            break;
        *out++ = '"';
        from = quote + 1;
    }
    *out++ = '"';
    return out;
}

constexpr qsizetype quotedSpace(qsizetype size)
{
    return 3 * size + 2;
}

// At most 11 bytes.
char *writeInteger(char *out, qint32 value)
{
    return std::to_chars(out, out + 11, value).ptr;
}

// At most 24 bytes ("-2.2250738585072014E-308").
char *writeReal(char *out, double value)
{
    char *const end = std::to_chars(out, out + 24, value).ptr;
    std::replace(out, end, 'e', 'E');
    return end;
}

char *writeLineEnd(char *out)
{
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

// A field as a view of the record's text: reading a record must not cost an allocation per line,
// as going back reads one on a key press.
struct Field {
    QStringView text; // of a quoted field: between its quotes, inner quotes still doubled
    bool quoted = false;
};
// The fields of the first line: the display text, five counters, the entry, the flag, the step.
constexpr qsizetype kHeadFields = 9;

// The fields of a record line by line, all in one array: every line of a record this program
// writes fits in the room kept inline, so that going back, which reads a record on a key press,
// allocates nothing for them.
class Lines
{
public:
    struct Line {
        const Field *fields;
        qsizetype count;
        qsizetype size() const { return count; }
        const Field &front() const { return fields[0]; }
        const Field &operator[](qsizetype i) const { return fields[i]; }
    };

    void startLine() { m_starts.append(m_fields.size()); }
    // Adds a field to the last line.
    void append(const Field &field) { m_fields.append(field); }
    void removeLast()
    {
        m_fields.resize(m_starts.back());
        m_starts.removeLast();
    }
    qsizetype size() const { return m_starts.size(); }
    bool isEmpty() const { return m_starts.isEmpty(); }
    Line operator[](qsizetype k) const
    {
        const qsizetype end = k + 1 < size() ? m_starts[k + 1] : m_fields.size();
        return {m_fields.constData() + m_starts[k], end - m_starts[k]};
    }
    Line front() const { return (*this)[0]; }
    Line back() const { return (*this)[size() - 1]; }

private:
    static constexpr qsizetype kInline = kHeadFields + kMaxNums + kMaxOps + kMaxNameLines;
    QVarLengthArray<Field, kInline> m_fields;
    QVarLengthArray<qsizetype, kInline> m_starts;
};

QString unquoted(QStringView text)
{
    QString out = text.toString();
    out.replace(QLatin1String("\"\""), QLatin1String("\""));
    return out;
}

// Splits the text into lines of fields. A quoted field runs to its closing quote, line breaks
// included; "" inside it stands for one quote.
bool splitFields(const QString &text, Lines &lines, ReadResult &error)
{
    lines.startLine();
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
                    return false;
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
                return false;
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
        lines.append(field);
        if (i < n && text[i] == u',') {
            ++i;
            continue;
        }
        skipLineEnd();
        if (i < n)
            lines.startLine();
    }
    // Blank lines at the end (a final line break, an editor's extra newline) carry nothing.
    while (!lines.isEmpty() && lines.back().size() == 1 && !lines.back()[0].quoted &&
           lines.back()[0].text.isEmpty())
        lines.removeLast();
    return true;
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
    const QString entry = s.pendingText();
    const QString name = slotName(slot);
    QByteArray record(quotedSpace(text.size()) + 5 * 7 + 1 + quotedSpace(entry.size()) + 1 +
                          kFalse.size() + 1 + 11 + 2 + 26 * s.numtop + 13 * s.optop +
                          kNameLines * (quotedSpace(name.size()) + 2),
                      Qt::Uninitialized);
    char *out = writeQuoted(record.data(), text);
    for (const qint16 v : {s.numtop, s.parens, s.optop, s.numlen, s.pointset}) {
        *out++ = ',';
        out = writeInteger(out, v);
    }
    *out++ = ',';
    out = writeQuoted(out, entry);
    *out++ = ',';
    const QLatin1StringView flag = s.changed ? kTrue : kFalse;
    out = std::copy(flag.begin(), flag.end(), out);
    *out++ = ',';
    out = writeLineEnd(writeInteger(out, s.stepcount));
    for (int k = 1; k <= s.numtop; ++k)
        out = writeLineEnd(writeReal(out, s.nums[k]));
    for (int k = 1; k <= s.optop; ++k)
        out = writeLineEnd(writeInteger(out, s.ops[k]));
    // The name line is written once and copied.
    char *const names = out;
    out = writeLineEnd(writeQuoted(out, name));
    const std::ptrdiff_t nameLine = out - names;
    for (int k = 1; k < kNameLines; ++k)
        out = std::copy_n(names, nameLine, out);
    record.truncate(out - record.constData());
    // The unused end of a buffer of megabytes stays resident with whatever the heap last kept
    // there: it goes back before the record is passed on.
    if (record.capacity() - record.size() > 64 * 1024)
        record.squeeze();
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
    Lines lines;
    if (!splitFields(text, lines, error))
        return error;
    if (lines.isEmpty() || lines.front().size() != kHeadFields)
        return {Error::HeadFieldCount, 1};

    const Lines::Line head = lines.front();
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
    while (1 + stackLines < lines.size() && !lines[1 + stackLines].front().quoted)
        ++stackLines;
    const int full = *numtop + *optop;
    const int oddOnly = (*numtop + 1) / 2 + (*optop + 1) / 2;
    if (stackLines != full && stackLines != oddOnly)
        return {Error::StackLineCount};
    // The older layout is checked, but its stacks are never used (below).
    const bool fullLayout = stackLines == full;
    const int step = fullLayout ? 1 : 2;

    const qsizetype names = lines.size() - 1 - stackLines;
    if (names < kNameLines || names > kMaxNameLines)
        return {Error::NameLineCount};
    for (qsizetype k = 1; k < lines.size(); ++k) {
        const Lines::Line line = lines[k];
        if (line.size() != 1 || (k > stackLines && !line.front().quoted))
            return {Error::LineFormat, int(k) + 1};
    }

    qsizetype lineNo = 1;
    for (int pos = 1; pos <= *numtop; pos += step, ++lineNo) {
        const auto value = toReal(lines[lineNo].front());
        if (!value)
            return {Error::NotFinite, int(lineNo) + 1};
        if (fullLayout)
            next.nums[pos] = *value;
    }
    for (int pos = 1; pos <= *optop; pos += step, ++lineNo) {
        const auto code = toInteger<qint16>(lines[lineNo].front());
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
