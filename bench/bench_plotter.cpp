#include "plotter/engine/plot.h"
#include "plotter/engine/points.h"
#include "plotter/engine/vectorstate.h"
#include "plotter/window/plotpicture.h"

#include <QImage>

#include <cmath>

#include <benchmark/benchmark.h>

#ifdef YAOSHI_HAVE_MUPARSER
#include <muParser.h>
#endif

namespace
{

// The same five equations in the plotter's syntax and in muParser's.
const char *const kEquations[] = {"( x + 20 ) ^ 2", "30 * sin x", "sin ( 2 * x ) + lg ( x )",
                                  "( x + 1 ) * ( x - 1 )", "1 / x"};
[[maybe_unused]] const char *const kMuParser[] = {"(x+20)^2", "30*sin(x)", "sin(2*x)+log10(x)",
                                                  "(x+1)*(x-1)", "1/x"};
constexpr int kSamples = 301;

// The 301 abscissae of the first view.
double sample(int i)
{
    return i - 150.0;
}

// One evaluation per iteration, walking through the samples.
void Evaluator(benchmark::State &state)
{
    const Equation equation(parsegroups(QString::fromUtf8(kEquations[state.range(0)])).groups);
    clearUpperVectorState(); // as every batch of samples in the window starts
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(equation.evaluate(sample(i)));
        i = i == kSamples - 1 ? 0 : i + 1;
    }
}
BENCHMARK(Evaluator)->DenseRange(0, 4);

// The yardstick for Evaluator/1: the same curve as a plain loop of libm calls, sample by sample.
void Libm(benchmark::State &state)
{
    clearUpperVectorState(); // as a plain program starts
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(30 * std::sin(sample(i)));
        i = i == kSamples - 1 ? 0 : i + 1;
    }
}
BENCHMARK(Libm);

#ifdef YAOSHI_HAVE_MUPARSER
void MuParser(benchmark::State &state)
{
    double x = 0;
    mu::Parser parser;
    parser.DefineVar("x", &x);
    parser.SetExpr(kMuParser[state.range(0)]);
    int i = 0;
    for (auto _ : state) {
        x = sample(i);
        benchmark::DoNotOptimize(parser.Eval());
        i = i == kSamples - 1 ? 0 : i + 1;
    }
}
BENCHMARK(MuParser)->DenseRange(0, 4);
#endif

// One full redraw of four equations into the picture's image: labels, axes and dots.
void Redraw(benchmark::State &state)
{
    Equations equations;
    for (int i = 0; i < 4; ++i)
        equations[i] = Equation(parsegroups(QString::fromUtf8(kEquations[i])).groups);
    const PlotView view;
    QImage image(344, 391, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(kPictureBackground);
        renderPlot(image, plotcurves(view, equations));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Redraw);

// Finding the points of interest of one view of four boxes, as each redraw does: /0 the view of
// Redraw, /1 curves that alias into noise, so that both hit the cap.
void PointsOfInterest(benchmark::State &state)
{
    const char *const capped[] = {"sin ( 100 * x )", "cos ( 77 * x )", "x", "x"};
    Equations equations;
    for (int i = 0; i < 4; ++i) {
        const char *text = state.range(0) == 0 ? kEquations[i] : capped[i];
        equations[i] = Equation(parsegroups(QString::fromUtf8(text)).groups);
    }
    const PlotView view;
    for (auto _ : state)
        benchmark::DoNotOptimize(findPoints(view, equations));
}
BENCHMARK(PointsOfInterest)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

} // namespace
