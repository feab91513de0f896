#include "core/numtext.h"

#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace yaoshi
{

namespace
{

QString formatSignificant(double value, int digits, int fixedUpTo)
{
    if (std::isnan(value))
        return QStringLiteral(" NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral(" INF");
    if (value == 0)
        return QStringLiteral(" 0");

    // Round to the wanted digits first, so the choice of form sees the rounded exponent
    // (999999999999999.9 becomes 1E+15, not a 16-digit fixed number).
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                         std::chars_format::scientific, digits - 1);
    Q_UNUSED(ec);
    const std::string_view sci(buf, end - buf);
    const auto ePos = sci.find('e');
    std::string mantissa;
    mantissa += sci[0];
    if (ePos > 2)
        mantissa += sci.substr(2, ePos - 2);
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();
    int exponent = 0;
    std::from_chars(sci.data() + ePos + 1 + (sci[ePos + 1] == '+'), sci.data() + sci.size(),
                    exponent);

    std::string out(1, value < 0 ? '-' : ' ');
    if (exponent >= -4 && exponent < fixedUpTo) {
        const int intDigits = exponent + 1;
        if (intDigits <= 0) {
            out += '.';
            out.append(-intDigits, '0');
            out += mantissa;
        } else if (int(mantissa.size()) <= intDigits) {
            out += mantissa;
            out.append(intDigits - mantissa.size(), '0');
        } else {
            out += mantissa.substr(0, intDigits);
            out += '.';
            out += mantissa.substr(intDigits);
        }
    } else {
        out += mantissa[0];
        if (mantissa.size() > 1) {
            out += '.';
            out += mantissa.substr(1);
        }
        out += 'E';
        out += exponent < 0 ? '-' : '+';
        const std::string expDigits = std::to_string(std::abs(exponent));
        if (expDigits.size() < 2)
            out += '0';
        out += expDigits;
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The power of ten of the first significant digit of a number text without sign
// ("0.00012E+3" gives -1), for a text with at least one digit that is not 0.
long long decimalExponent(std::string_view number)
{
    const auto ePos = std::min(number.find_first_of("eE"), number.size());
    const std::string_view digits = number.substr(0, ePos);
    const auto point = std::min(digits.find('.'), digits.size());
    const auto first = digits.find_first_not_of("0.");
    // Digit k places left of the point stands for 10^(k - 1); right of it for 10^-k.
    long long exponent = first < point ? static_cast<long long>(point - first) - 1
                                       : -static_cast<long long>(first - point);
    if (ePos < number.size()) {
        // Clamped: far beyond what a double holds either way.
        long long e = 0;
        std::size_t i = ePos + 1;
        const bool minus = i < number.size() && number[i] == '-';
        if (i < number.size() && (number[i] == '-' || number[i] == '+'))
            ++i;
        for (; i < number.size(); ++i)
            e = std::min(e * 10 + (number[i] - '0'), 1'000'000'000LL);
        exponent += minus ? -e : e;
    }
    return exponent;
}

} // namespace

QString displayForm(double value)
{
    return formatSignificant(value, 15, 15);
}

QString displayForm32(float value)
{
    return formatSignificant(value, 7, 7);
}

QString plainForm(double value)
{
    QString text = displayForm(value);
    if (text.startsWith(u' '))
        text.remove(0, 1);
    return text;
}

double readEntry(QStringView text)
{
    // The characters that count, blanks dropped, after two spare places (see below). None beyond
    // ASCII belongs to a number.
    constexpr qsizetype kSpare = 2;
    QVarLengthArray<char, 64> buffer(kSpare);
    for (const QChar c : text) {
        if (c != u' ')
            buffer.append(char(c.unicode() < 128 ? c.unicode() : '?'));
    }
    const std::string_view number(buffer.data() + kSpare, std::size_t(buffer.size() - kSpare));

    // Find the longest prefix of the form [+-]digits[.digits][(E|e)[+-]digits].
    std::size_t i = 0;
    const auto digitsAt = [&](std::size_t from) {
        std::size_t j = from;
        while (j < number.size() && isDigit(number[j]))
            ++j;
        return j - from;
    };
    const bool negative = i < number.size() && number[i] == '-';
    if (i < number.size() && (number[i] == '-' || number[i] == '+'))
        ++i;
    const std::size_t mantissaStart = i;
    std::size_t intDigits = digitsAt(i);
    i += intDigits;
    std::size_t fracDigits = 0;
    if (i < number.size() && number[i] == '.') {
        fracDigits = digitsAt(i + 1);
        i += 1 + fracDigits;
    }
    if (intDigits + fracDigits == 0)
        return 0;
    std::size_t end = i;
    if (i < number.size() && (number[i] == 'E' || number[i] == 'e')) {
        std::size_t j = i + 1;
        if (j < number.size() && (number[j] == '+' || number[j] == '-'))
            ++j;
        const std::size_t expDigits = digitsAt(j);
        if (expDigits > 0)
            end = j + expDigits;
    }

    // from_chars takes neither a leading '+' nor a bare point before the exponent the same way
    // everywhere, so hand it a normalised text: the mantissa, a zero before a bare point and the
    // minus sign written in front of it, where the sign or the spare places were.
    const std::string_view mantissa = number.substr(mantissaStart, end - mantissaStart);
    char *first = buffer.data() + kSpare + mantissaStart;
    if (mantissa.front() == '.')
        *--first = '0';
    if (negative)
        *--first = '-';
    double value = 0;
    const auto [ptr, ec] = std::from_chars(first, mantissa.data() + mantissa.size(), value);
    Q_UNUSED(ptr);
    if (ec == std::errc::result_out_of_range) {
        // Too large reads as infinity, too small as zero.
        if (decimalExponent(mantissa) < 0)
            return negative ? -0.0 : 0.0;
        return negative ? -HUGE_VAL : HUGE_VAL;
    }
    return value;
}

} // namespace yaoshi
