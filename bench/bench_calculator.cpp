#include "calculator/engine/calculator.h"
#include "calculator/engine/staterecord.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace
{

QString filler(qsizetype bytes)
{
    return QString(bytes, u'x');
}

struct Bench {
    explicit Bench(qsizetype bytes) : text(filler(bytes)), display(text) {}
    void reset(benchmark::State &state, int every, qint64 i)
    {
        if (i % every)
            return;
        state.PauseTiming();
        display.setText(text);
        display.append(QStringLiteral(" ")); // the copy and the growth happen here, not timed
        state.ResumeTiming();
    }
    QTemporaryDir dir;
    QString text;
    StringDisplay display;
    FolderStepStore steps{dir.path() + QStringLiteral("/steps")};
    Calculator calc{display, steps};
};

// A digit press appends to the display; its cost must not grow with the display.
void DigitPress(benchmark::State &state)
{
    Bench b(state.range(0));
    qint64 i = 0;
    for (auto _ : state) {
        b.reset(state, 4096, ++i);
        // An entry holds 100 keystrokes; placing pi starts it again at slot 9.
        if (b.calc.state().numlen == kMaxEntry)
            (void)b.calc.press({KeyAction::Pi});
        benchmark::DoNotOptimize(b.calc.press({KeyAction::Digit, 7}));
    }
}
BENCHMARK(DigitPress)->Arg(1024)->Arg(1 << 20);

// A digit, then the key under test with everything it does: reduction, display, step file.
// `every` presses the display is put back to its starting size.
template <typename Press> void digitThen(benchmark::State &state, int every, Press press)
{
    Bench b(state.range(0));
    qint64 i = 0;
    for (auto _ : state) {
        b.reset(state, every, ++i);
        (void)b.calc.press({KeyAction::Digit, 1});
        benchmark::DoNotOptimize(press(b.calc));
    }
}

void OperatorPress(benchmark::State &state)
{
    digitThen(state, 256, [](Calculator &c) {
        return c.press({KeyAction::Operator, int(Op::Add)});
    });
}
BENCHMARK(OperatorPress)->Arg(1024);

void Equals(benchmark::State &state)
{
    digitThen(state, 64, [](Calculator &c) { return c.press({KeyAction::Equals}); });
}
BENCHMARK(Equals)->Arg(1024);

CalcState sampleState(qsizetype bytes)
{
    CalcState s;
    s.snaptext = filler(bytes);
    s.numtop = 3;
    s.nums = {0, 1.5, -2.25e10, 3.14159265358979};
    s.optop = 3;
    s.ops[1] = 5;
    s.ops[2] = 10;
    s.ops[3] = 0;
    s.numlen = 3;
    s.entry = QStringLiteral(" 1 2 3");
    s.stepcount = 17;
    return s;
}

void RecordWrite(benchmark::State &state)
{
    const CalcState s = sampleState(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(staterecord::write(s, 17));
}
BENCHMARK(RecordWrite)->Arg(1024);

void RecordRead(benchmark::State &state)
{
    const QByteArray bytes = staterecord::write(sampleState(state.range(0)), 17);
    CalcState s;
    for (auto _ : state)
        benchmark::DoNotOptimize(staterecord::read(bytes, s));
}
BENCHMARK(RecordRead)->Arg(1024);

} // namespace
