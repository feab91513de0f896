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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir dir; // one step folder for the whole run
    StringDisplay display(QStringLiteral(" "));
    Calculator calc(display, dir.path() + QStringLiteral("/steps/"));
    static const Op kFunctions[] = {Op::Sin, Op::Cos, Op::Lg, Op::Ln, Op::Atn};
    static const Op kOperators[] = {Op::Add, Op::Sub, Op::Mul, Op::Div};

    for (std::size_t i = 0; i < size && i < 4096; ++i) {
        const Snapshot before{display.text(), calc.state()};
        const int key = data[i] % 26;
        QString message;
        QString piece; // what an accepted press appends
        bool equals = false;
        bool back = false;
        if (key < 10) {
            message = calc.pressDigit(key);
            piece = QString::number(key);
        } else if (key == 10) {
            message = calc.pressPoint();
            piece = QStringLiteral(".");
        } else if (key == 11) {
            message = calc.pressPi();
            piece = QStringLiteral("π");
        } else if (key == 12) {
            message = calc.pressE();
            piece = QStringLiteral("e");
        } else if (key < 18) {
            const Op f = kFunctions[key - 13];
            message = calc.pressFunction(f);
            piece = opCaption(f);
        } else if (key == 18) {
            message = calc.pressOpenParen();
            piece = QStringLiteral("(");
        } else if (key == 19) {
            message = calc.pressCloseParen();
            piece = QStringLiteral(")");
        } else if (key < 24) {
            const Op op = kOperators[key - 20];
            message = calc.pressOperator(op);
            piece = opCaption(op);
        } else if (key == 24) {
            message = data[i] & 0x80 ? calc.pressPower() : calc.pressFactorial();
            piece = data[i] & 0x80 ? QStringLiteral("^") : QStringLiteral("!");
        } else if (data[i] & 0x80) {
            back = calc.stepBack();
        } else {
            message = calc.pressEquals();
            equals = true;
        }

        const CalcState &s = calc.state();
        check(s.numtop >= 0 && s.numtop <= kMaxNums && s.optop >= 0 && s.optop <= kMaxOps &&
              s.numlen >= 0 && s.numlen <= kMaxEntry && s.parens >= 0);
        const QString now = display.text();
        if (back) {
            check(now == s.snaptext);
            continue;
        }
        const bool fault = message.startsWith(QStringLiteral("算式")) ||
                           message.startsWith(QStringLiteral("一个数"));
        if (now == before.display) {
            // Ignored or undone: the calculation is as it was.
            check(sameCalculation(s, before.state));
            check(fault || message.isEmpty() || message.startsWith(QStringLiteral("无法记录")));
            continue;
        }
        check(!fault && now.startsWith(before.display));
        const QString added = now.mid(before.display.size());
        if (equals) {
            check(added.startsWith(u'=') && added.endsWith(QStringLiteral("\r\n ")));
            const QString shown = added.mid(1, added.size() - 4);
            check(yaoshi::displayForm(yaoshi::readEntry(shown)) == shown);
            check(s.numtop == 0 && s.optop == 0 && s.numlen == 0 && s.parens == 0);
        } else {
            check(added == piece);
        }
    }
    return 0;
}
