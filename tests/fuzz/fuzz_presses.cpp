// Any sequence of key presses on the calculator engine: after every press the stacks are within
// bounds, the display has grown by exactly the press's text or been replaced by a restored step,
// an accepted "=" leaves the counters at zero, and a fault leaves everything as it was.
#include "calculator/engine/calculator.h"
#include "core/numtext.h"

#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{

// What a press may change. Only the live stack entries are kept: the whole stacks would cost
// more to copy than most presses. The entry is copied rather than shared, or the engine would
// have to copy it at its next keystroke.
struct Calculation {
    explicit Calculation(const CalcState &s)
        : numtop(s.numtop), optop(s.optop), numlen(s.numlen), parens(s.parens),
          pointset(s.pointset), stepcount(s.stepcount)
    {
        const QString pending = s.pendingText();
        entry.append(pending.constData(), pending.size());
        std::copy_n(s.nums.begin() + 1, numtop, nums.begin());
        std::copy_n(s.ops.begin() + 1, optop, ops.begin());
    }
    // The same calculation as `s`, its numbers bit for bit.
    bool sameAs(const CalcState &s) const
    {
        return numtop == s.numtop && optop == s.optop && numlen == s.numlen && parens == s.parens &&
               pointset == s.pointset &&
               QStringView(entry.constData(), entry.size()) == s.pendingText() &&
               std::memcmp(nums.data(), s.nums.data() + 1, sizeof(double) * size_t(numtop)) == 0 &&
               std::equal(ops.begin(), ops.begin() + optop, s.ops.begin() + 1);
    }

    qint16 numtop, optop, numlen, parens, pointset;
    qint32 stepcount;
    QVarLengthArray<QChar, 256> entry;
    std::array<double, kMaxNums> nums;
    std::array<qint16, kMaxOps> ops;
};

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// The key a byte stands for: digits, point, pi, e, the five functions, "(", ")", the four
// operators, then "^" or "!", and "=" or going back, told apart by the top bit.
KeyCommand keyFor(std::uint8_t byte)
{
    using enum KeyAction;
    static constexpr Op kFunctions[] = {Op::Sin, Op::Cos, Op::Lg, Op::Ln, Op::Atn};
    static constexpr Op kOperators[] = {Op::Add, Op::Sub, Op::Mul, Op::Div};
    const int key = byte % 26;
    if (key < 10)
        return {Digit, key};
    if (key < 13)
        return {key == 10 ? Point : key == 11 ? Pi : E};
    if (key < 18)
        return {Function, int(kFunctions[key - 13])};
    if (key < 20)
        return {key == 18 ? OpenParen : CloseParen};
    if (key < 24)
        return {Operator, int(kOperators[key - 20])};
    if (key == 24)
        return {byte & 0x80 ? Power : Factorial};
    return {byte & 0x80 ? StepBack : Equals};
}

// What an accepted press of each byte appends, worked out once.
const QString &textFor(std::uint8_t byte)
{
    static const auto texts = [] {
        std::array<QString, 256> t;
        for (int b = 0; b < 256; ++b)
            t[b] = pressText(keyFor(std::uint8_t(b)));
        return t;
    }();
    return texts[byte];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The steps stay in memory: a folder would cost a file write per operator key.
    MemoryStepStore steps;
    StringDisplay display(QStringLiteral(" "));
    Calculator calc(display, steps);
    // The display as it should be, kept apart so that no press has to copy the display's text.
    QString shown = QStringLiteral(" ");

    for (std::size_t i = 0; i < size && i < 4096; ++i) {
        const Calculation before(calc.state());
        const KeyCommand key = keyFor(data[i]);
        const PressResult result = calc.press(key);

        const CalcState &s = calc.state();
        check(s.numtop >= 0 && s.numtop <= kMaxNums && s.optop >= 0 && s.optop <= kMaxOps &&
              s.numlen >= 0 && s.numlen <= kMaxEntry && s.parens >= 0);
        const QString now = display.text();
        if (key.action == KeyAction::StepBack) {
            // Going back lowers the step count by one and shows an earlier display, a start of
            // this one, as nothing but presses changed it; when it does not, nothing happened.
            // Memory never fails.
            check(result == PressResult());
            if (s.stepcount != before.stepcount) {
                check(s.stepcount == before.stepcount - 1 && shown.startsWith(now));
                shown = QString(now.constData(), now.size());
            } else {
                check(now == shown && before.sameAs(s));
            }
            continue;
        }
        const bool fault = result.fault != Fault::None;
        if (now.size() == shown.size()) {
            // Ignored or undone: the calculation is as it was.
            check(now == shown && before.sameAs(s));
            continue;
        }
        check(!fault && now.size() > shown.size() && QStringView(now).left(shown.size()) == shown);
        const QStringView added = QStringView(now).mid(shown.size());
        if (key.action == KeyAction::Equals) {
            check(added.startsWith(u'=') && added.endsWith(QStringLiteral("\r\n ")));
            const QString value = added.mid(1, added.size() - 4).toString();
            check(yaoshi::displayForm(yaoshi::readEntry(value)) == value);
            check(s.numtop == 0 && s.optop == 0 && s.numlen == 0 && s.parens == 0);
        } else {
            check(added == textFor(data[i]));
        }
        shown += added;
    }
    return 0;
}
