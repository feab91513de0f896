#include "plotter/engine/exactsum.h"

#include <QtGlobal>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace
{

// A natural number of any size, in base 2^32 limbs, least significant first.
class Natural
{
public:
    explicit Natural(quint64 value)
    {
        for (; value != 0; value >>= 32)
            m_limbs.push_back(quint32(value));
    }

    void multiply(quint32 factor)
    {
        quint64 carry = 0;
        for (quint32 &limb : m_limbs) {
            const quint64 product = quint64(limb) * factor + carry;
            limb = quint32(product);
            carry = product >> 32;
        }
        if (carry != 0)
            m_limbs.push_back(quint32(carry));
    }

    void multiplyByPowerOf5(int n)
    {
        constexpr quint32 kFiveTo13 = 1220703125;
        for (; n >= 13; n -= 13)
            multiply(kFiveTo13);
        quint32 rest = 1;
        for (; n > 0; --n)
            rest *= 5;
        multiply(rest);
    }

    void shiftLeft(int bits)
    {
        if (m_limbs.empty())
            return;
        m_limbs.insert(m_limbs.begin(), std::size_t(bits / 32), 0);
        if (bits % 32 == 0)
            return;
        quint32 carry = 0;
        for (quint32 &limb : m_limbs) {
            const quint32 next = limb >> (32 - bits % 32);
            limb = (limb << (bits % 32)) | carry;
            carry = next;
        }
        if (carry != 0)
            m_limbs.push_back(carry);
    }

    friend bool operator<(const Natural &x, const Natural &y)
    {
        if (x.m_limbs.size() != y.m_limbs.size())
            return x.m_limbs.size() < y.m_limbs.size();
        return std::lexicographical_compare(x.m_limbs.rbegin(), x.m_limbs.rend(),
                                            y.m_limbs.rbegin(), y.m_limbs.rend());
    }

    void add(const Natural &other)
    {
        m_limbs.resize(std::max(m_limbs.size(), other.m_limbs.size()) + 1, 0);
        quint64 carry = 0;
        for (std::size_t i = 0; i < m_limbs.size(); ++i) {
            const quint64 sum =
                quint64(m_limbs[i]) + (i < other.m_limbs.size() ? other.m_limbs[i] : 0) + carry;
            m_limbs[i] = quint32(sum);
            carry = sum >> 32;
        }
        trim();
    }

    // Requires other <= *this.
    void subtract(const Natural &other)
    {
        qint64 borrow = 0;
        for (std::size_t i = 0; i < m_limbs.size(); ++i) {
            qint64 difference =
                qint64(m_limbs[i]) - (i < other.m_limbs.size() ? other.m_limbs[i] : 0) - borrow;
            borrow = difference < 0;
            m_limbs[i] = quint32(difference + (borrow << 32));
        }
        trim();
    }

    // The decimal digits, "0" for zero.
    std::string decimal() const
    {
        std::vector<quint32> rest = m_limbs;
        std::vector<quint32> chunks; // base 10^9, least significant first
        while (!rest.empty()) {
            quint64 remainder = 0;
            for (auto limb = rest.rbegin(); limb != rest.rend(); ++limb) {
                const quint64 current = (remainder << 32) | *limb;
                *limb = quint32(current / 1000000000);
                remainder = current % 1000000000;
            }
            chunks.push_back(quint32(remainder));
            while (!rest.empty() && rest.back() == 0)
                rest.pop_back();
        }
        if (chunks.empty())
            return "0";
        std::string digits = std::to_string(chunks.back());
        for (auto chunk = chunks.rbegin() + 1; chunk != chunks.rend(); ++chunk) {
            const std::string part = std::to_string(*chunk);
            digits.append(9 - part.size(), '0');
            digits += part;
        }
        return digits;
    }

private:
    void trim()
    {
        while (!m_limbs.empty() && m_limbs.back() == 0)
            m_limbs.pop_back();
    }

    std::vector<quint32> m_limbs;
};

// A finite double as ±m * 2^e with m odd, or m 0.
struct Binary {
    bool negative;
    quint64 m;
    int e;
};

Binary split(double value)
{
    int e = 0;
    const double fraction = std::frexp(std::fabs(value), &e);
    Binary b{value < 0, quint64(std::ldexp(fraction, 53)), e - 53};
    while (b.m != 0 && b.m % 2 == 0) {
        b.m /= 2;
        ++b.e;
    }
    return b;
}

// Rounds a digit string to `digits` digits, half to even; returns how many digits went.
int roundDigits(std::string &number, int digits)
{
    const int dropped = int(number.size()) - digits;
    if (dropped <= 0)
        return 0;
    const char first = number[std::size_t(digits)];
    const bool exactHalf =
        first == '5' && number.find_first_not_of('0', std::size_t(digits) + 1) == std::string::npos;
    const bool up = first > '5' || (first == '5' && !exactHalf) ||
                    (exactHalf && (number[std::size_t(digits) - 1] - '0') % 2 == 1);
    number.resize(std::size_t(digits));
    if (!up)
        return dropped;
    for (auto digit = number.rbegin(); digit != number.rend(); ++digit) {
        if (*digit != '9') {
            ++*digit;
            return dropped;
        }
        *digit = '0';
    }
    // 999 rounded up to 1000: one digit more, so one more goes.
    number.insert(number.begin(), '1');
    number.pop_back();
    return dropped + 1;
}

} // namespace

double exactSum(double a, double b, int k, int digits)
{
    const double fallback = a + b / std::pow(5.0, k);
    if (!std::isfinite(a) || !std::isfinite(b))
        return fallback;
    const Binary x = split(a);
    const Binary y = split(b);
    if (x.m == 0 && y.m == 0)
        return 0;

    // a + b * 5^-k = (a * 5^n + b * 5^(n - k)) * 5^-n, with n = max(k, 0), and both terms are
    // whole multiples of 2^e.
    const int n = std::max(k, 0);
    const int e = x.m == 0 ? y.e : y.m == 0 ? x.e : std::min(x.e, y.e);
    Natural left(x.m);
    left.shiftLeft(x.e - e);
    left.multiplyByPowerOf5(n);
    Natural right(y.m);
    right.shiftLeft(y.e - e);
    right.multiplyByPowerOf5(n - k);
    bool negative = x.m == 0 ? y.negative : x.negative;
    if (x.negative == y.negative || x.m == 0 || y.m == 0) {
        left.add(right);
    } else if (left < right) {
        right.subtract(left);
        left = right;
        negative = y.negative;
    } else {
        left.subtract(right);
    }

    // 2^e * 5^-n = 2^(e + n) * 10^-n, and 2^-p = 5^p * 10^-p.
    int exponent = -n;
    if (e + n >= 0) {
        left.shiftLeft(e + n);
    } else {
        left.multiplyByPowerOf5(-(e + n));
        exponent += e + n;
    }
    std::string number = left.decimal();
    if (number == "0")
        return 0;
    if (digits > 0)
        exponent += roundDigits(number, digits);
    number += 'e' + std::to_string(exponent);
    if (negative)
        number.insert(number.begin(), '-');
    double result = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), result);
    Q_UNUSED(end);
    return error == std::errc() ? result : fallback;
}
