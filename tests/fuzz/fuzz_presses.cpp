// Any sequence of key presses on the calculator engine: after every press the stacks are within
// bounds, the display has grown by exactly the press's text or been replaced by a restored step,
// an accepted "=" leaves the counters at zero, and a fault leaves everything as it was.
#include "calculator/calculator.h"
#include "core/numtext.h"

#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace
{

struct Snapshot {
    QString display;
    CalcState state;
};

bool sameCalculation(const CalcState &a, const CalcState &b)
{
    return a.numtop == b.numtop && a.optop == b.optop && a.numlen == b.numlen &&
           a.parens == b.parens && a.pointset == b.pointset &&
           a.numtext[a.numlen] == b.numtext[b.numlen] &&
           std::equal(a.nums.begin() + 1, a.nums.begin() + 1 + a.numtop, b.nums.begin() + 1) &&
           std::equal(a.ops.begin() + 1, a.ops.begin() + 1 + a.optop, b.ops.begin() + 1);
}

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir dir; // one step folder for the whole run
    StringDisplay display(QStringLiteral(" "));
    Calculator calc(display, dir.path() + QStringLiteral("/steps/"));

    for (std::size_t i = 0; i < size && i < 4096; ++i) {
        const Snapshot before{display.text(), calc.state()};
        const KeyCommand key = keyFor(data[i]);
        const PressResult result = calc.press(key);

        const CalcState &s = calc.state();
        check(s.numtop >= 0 && s.numtop <= kMaxNums && s.optop >= 0 && s.optop <= kMaxOps &&
              s.numlen >= 0 && s.numlen <= kMaxEntry && s.parens >= 0);
        const QString now = display.text();
        if (key.action == KeyAction::StepBack) {
            // Going back lowers the step count; when it does not, nothing happened.
            check(result == PressResult());
            if (s.stepcount < before.state.stepcount)
                check(now == s.snaptext);
            else
                check(now == before.display && sameCalculation(s, before.state));
            continue;
        }
        const bool fault = result.fault != Fault::None;
        if (now == before.display) {
            // Ignored or undone: the calculation is as it was.
            check(sameCalculation(s, before.state));
            continue;
        }
        check(!fault && now.startsWith(before.display));
        const QString added = now.mid(before.display.size());
        if (key.action == KeyAction::Equals) {
            check(added.startsWith(u'=') && added.endsWith(QStringLiteral("\r\n ")));
            const QString shown = added.mid(1, added.size() - 4);
            check(yaoshi::displayForm(yaoshi::readEntry(shown)) == shown);
            check(s.numtop == 0 && s.optop == 0 && s.numlen == 0 && s.parens == 0);
        } else {
            check(added == pressText(key));
        }
    }
    return 0;
}
