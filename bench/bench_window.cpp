// The calculator as the user meets it: key events into the real window, timed until the display
// has been updated and painted, at the end of documents of growing size.

#include "calculator/engine/staterecord.h"
#include "calculator/window/calculatorwindow.h"
#include "support/scriptedplatform.h"
#include "widgets/longlineedit.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace
{

// The largest document the window opens.
constexpr qsizetype kOpenLimit = 8 * 1024 * 1024;

struct Document {
    const char *name;
    bool oneLine;
    qsizetype bytes;
    // Which benchmarks take the document: keys, Open and Save, or only some.
    bool keys = true;
    bool openAndSave = true;
    // A letter of a right-to-left script near the line's start.
    bool rightToLeft = false;
};

const Document kDocuments[] = {
    {"lines-1k", false, 1 << 10},
    {"lines-100k", false, 100 << 10},
    {"lines-1m", false, 1 << 20},
    {"lines-8m", false, kOpenLimit},
    {"line-100k", true, 100 << 10},
    {"line-1m", true, 1 << 20},
    {"line-1m-rtl", true, 1 << 20, true, false, true},
    {"line-8m", true, kOpenLimit, false, true},
};

// Finished calculations of about 16 bytes a line, the next one started; or one calculation that
// never ends. Sized so that the document's record stays within the open limit.
QString displayText(const Document &doc)
{
    const qsizetype size = std::min(doc.bytes, kOpenLimit - 4096);
    QString text;
    text.reserve(size + 64);
    if (doc.oneLine) {
        text = doc.rightToLeft ? QStringLiteral(" 12\u05d0") : QStringLiteral(" 12");
        static const char *const kPieces[] = {"+345", "*6", "-78.9", "/10"};
        for (int i = 0; text.size() < size; ++i)
            text += QLatin1String(kPieces[i % 4]);
    } else {
        for (int i = 1; text.size() < size - 24; ++i)
            text += QStringLiteral(" %1+%2= %3\r\n").arg(i).arg(i % 97).arg(i + i % 97);
        text += u' ';
    }
    return text;
}

// Writes the document's record to `path`, as a step or a saved document holds it; returns its
// display text.
QString writeDocument(const Document &doc, const QString &path)
{
    CalcState s;
    s.snaptext = displayText(doc);
    s.stepcount = 1;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(staterecord::write(s, 1)) < 0)
        qFatal("cannot write the document");
    if (file.size() > kOpenLimit)
        qFatal("the document is over the open limit");
    return s.snaptext;
}

// The bytes of `bytes` in the box's own form: one character per line break.
qsizetype boxLength(const QString &text)
{
    return text.size() - text.count(QLatin1String("\r\n"));
}

double percentile(std::vector<double> samples, double p)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const double at = p * double(samples.size() - 1);
    const auto below = std::size_t(at);
    const std::size_t above = std::min(below + 1, samples.size() - 1);
    return samples[below] + (at - double(below)) * (samples[above] - samples[below]);
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// One calculator window, as the program makes it, with a document written into its folder.
class Harness
{
public:
    Harness()
    {
        m_window = std::make_unique<CalculatorWindow>(
            m_platform, m_dir.filePath(QStringLiteral("steps/")), WindowOpeners{});
        m_window->load();
        (void)QTest::qWaitForWindowActive(m_window.get());
    }
    ~Harness()
    {
        m_window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString write(const Document &doc, const QString &name = QStringLiteral("doc.txt"))
    {
        const QString path = m_dir.filePath(name);
        m_expected[path] = boxLength(writeDocument(doc, path));
        return path;
    }

    struct Opening {
        double shown = 0;  // from the command to the display painted with the document's end
        double loaded = 0; // to all of the document in the display
        double stall = 0;  // the longest time the window did not answer meanwhile
    };

    // Opens the document through the menu and waits until the display holds all of it as it
    // will stay.
    Opening open(const QString &path)
    {
        m_platform.openNames.enqueue(path);
        Opening o;
        QElapsedTimer total;
        QElapsedTimer timer;
        total.start();
        timer.start();
        trigger("nmuopen");
        settle();
        o.shown = o.stall = elapsedMs(total);
        // All of it in, and a long line cut where it wraps.
        while (shownLength() != m_expected[path] ||
               qobject_cast<LongLineEdit *>(box())->cuttingAhead()) {
            timer.restart();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            o.stall = std::max(o.stall, elapsedMs(timer));
        }
        o.loaded = elapsedMs(total);
        return o;
    }

    void trigger(const char *action)
    {
        m_window->findChild<QAction *>(QLatin1String(action))->trigger();
    }

    // Delivers what the key left behind: layout, scroll bars and the repaint.
    static void settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    // Waits for the step records being written behind the window.
    void finishSteps() const { m_window->engine().finishHistory(); }

    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    // The plain "+" key of the main block is "=" on the calculator; the keypad's adds.
    void plus() { key(Qt::Key_Plus, Qt::KeypadModifier); }

    // Editing mode with the caret at the end, as after a click into the display and Ctrl+End.
    void startEditing()
    {
        QTest::mouseClick(box()->viewport(), Qt::LeftButton);
        key(Qt::Key_End, Qt::ControlModifier);
        settle();
    }

    // Characters in the display, without the breaks between the pieces of its last line.
    qsizetype shownLength() const
    {
        const QTextDocument *doc = box()->document();
        qsizetype length = doc->characterCount() - 1;
        for (QTextBlock b = doc->lastBlock(); LongLineEdit::continuesLine(b); b = b.previous())
            --length;
        return length;
    }

    QPlainTextEdit *box() const
    {
        return m_window->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
    }
    const CalcState &state() const { return m_window->engine().state(); }
    const QStringList &messages() const { return m_platform.messages; }

private:
    QTemporaryDir m_dir;
    ScriptedPlatform m_platform;
    std::unique_ptr<CalculatorWindow> m_window;
    QHash<QString, qsizetype> m_expected; // characters in the display, by document
};

// Google Benchmark runs a function again with more iterations until it has used half a second;
// each function here takes its own samples, so one iteration of at least that long is enough.
double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Takes at least `minSamples` samples and at least 0.6 s of CPU time; `untimed` runs before each
// sample, `timed` returns the sample in milliseconds. Returns the samples.
std::vector<double> sample(benchmark::State &state, int minSamples,
                           const std::function<void()> &untimed,
                           const std::function<double()> &timed)
{
    std::vector<double> ms;
    for (auto _ : state) {
        const double start = threadCpuSeconds();
        while (int(ms.size()) < minSamples || threadCpuSeconds() - start < 0.6) {
            untimed();
            ms.push_back(timed());
        }
    }
    state.counters["p50_ms"] = percentile(ms, 0.5);
    state.counters["p99_ms"] = percentile(ms, 0.99);
    state.counters["max_ms"] = *std::max_element(ms.begin(), ms.end());
    state.counters["samples"] = double(ms.size());
    return ms;
}

// The time `f` takes, in milliseconds.
template <typename F> double timed(F f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return elapsedMs(timer);
}

int samplesFor(const Document &doc)
{
    return doc.bytes >= kOpenLimit ? 50 : 100;
}

enum class Key { Digit, Operator, Equals, Up, Edit };

// Each sample: the untimed keys that set the key under test up, then the key itself from its
// event to the display painted.
void WindowKey(benchmark::State &state, Key which, const Document &doc)
{
    Harness h;
    h.open(h.write(doc));
    if (which == Key::Edit)
        h.startEditing();
    int pressed = 0;
    const auto untimed = [&] {
        switch (which) {
        case Key::Digit:
            if (h.state().numlen >= 90) // an entry holds 100 keystrokes
                h.plus();
            break;
        case Key::Operator:
            h.key(Qt::Key_1);
            break;
        case Key::Equals:
            // "=" ends the line: step back after it, so that the next "=" meets the document as
            // it was, the entry typed before the first one included.
            if (pressed == 0)
                h.key(Qt::Key_1);
            else
                h.key(Qt::Key_Up);
            break;
        case Key::Up:
            h.key(Qt::Key_1);
            h.plus();
            h.key(Qt::Key_2);
            break;
        case Key::Edit:
            break;
        }
        Harness::settle();
        // Keys come at a person's pace: what they recorded is written by now.
        h.finishSteps();
    };
    const Qt::Key timedKey[] = {Qt::Key_7, Qt::Key_Plus, Qt::Key_Equal, Qt::Key_Up, Qt::Key_X};
    const Qt::KeyboardModifiers modifiers =
        which == Key::Operator ? Qt::KeypadModifier : Qt::NoModifier;
    sample(state, samplesFor(doc), untimed, [&] {
        ++pressed;
        return timed([&] {
            h.key(timedKey[int(which)], modifiers);
            Harness::settle();
        });
    });
    if (!h.messages().isEmpty())
        state.SkipWithError(h.messages().constFirst().toStdString().c_str());
}

// From the Open command to the display painted with the document's end; also the time to all of
// the document in the display, and the longest time the window did not answer meanwhile.
void WindowOpen(benchmark::State &state, const Document &doc)
{
    Harness h;
    const QString path = h.write(doc);
    // In between, another one: the display would only cut the same text to itself.
    const QString other = h.write(kDocuments[0], QStringLiteral("other.txt"));
    std::vector<double> loaded;
    double stall = 0;
    sample(
        state, doc.bytes >= kOpenLimit ? 5 : 20, [&] { h.open(other); },
        [&] {
            const Harness::Opening o = h.open(path);
            loaded.push_back(o.loaded);
            stall = std::max(stall, o.stall);
            return o.shown;
        });
    state.counters["loaded_p50_ms"] = percentile(loaded, 0.5);
    state.counters["stall_ms"] = stall;
}

// Save of the opened document under its own name.
void WindowSave(benchmark::State &state, const Document &doc)
{
    Harness h;
    h.open(h.write(doc));
    h.key(Qt::Key_1);
    sample(
        state, doc.bytes >= kOpenLimit ? 10 : 20, [] {},
        [&] {
            return timed([&] {
                h.trigger("nmusave");
                Harness::settle();
            });
        });
    if (!h.messages().isEmpty())
        state.SkipWithError(h.messages().constFirst().toStdString().c_str());
}

qint64 peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLongLong();
    return 0;
}

// Peak resident memory right after Open and after 50 operators on top of it. Meant for a
// process of its own: the peak is reset before Open, but what earlier benchmarks left in the
// heap still counts.
void WindowMemory(benchmark::State &state, const Document &doc)
{
    Harness h;
    const QString path = h.write(doc);
    for (auto _ : state) {
        const double start = threadCpuSeconds();
        malloc_trim(0);
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
            state.SkipWithError("cannot reset the peak resident size");
        clear.close();
        h.open(path);
        const qint64 afterOpen = peakResidentKiB();
        for (int i = 0; i < 50; ++i) {
            h.key(Qt::Key_1);
            h.plus();
            Harness::settle();
            h.finishSteps();
        }
        const qint64 afterKeys = peakResidentKiB();
        state.counters["peak_open_mib"] = double(afterOpen) / 1024;
        state.counters["peak_keys_mib"] = double(afterKeys) / 1024;
        state.counters["ratio"] = double(afterKeys) / double(afterOpen);
        while (threadCpuSeconds() - start < 0.6)
            h.key(Qt::Key_1);
    }
}

void registerAll()
{
    const char *const keys[] = {"digit", "operator", "equals", "up", "edit"};
    for (int key = 0; key < 5; ++key)
        for (const Document &doc : kDocuments)
            if (doc.keys)
                benchmark::RegisterBenchmark(
                    (std::string("WindowKey/") + keys[key] + '/' + doc.name).c_str(),
                    [key, &doc](benchmark::State &state) { WindowKey(state, Key(key), doc); })
                    ->Unit(benchmark::kMillisecond);
    for (const Document &doc : kDocuments)
        if (doc.openAndSave)
            benchmark::RegisterBenchmark(
                (std::string("WindowOpen/") + doc.name).c_str(),
                [&doc](benchmark::State &state) { WindowOpen(state, doc); })
                ->Unit(benchmark::kMillisecond);
    for (const Document &doc : kDocuments)
        if (doc.openAndSave)
            benchmark::RegisterBenchmark(
                (std::string("WindowSave/") + doc.name).c_str(),
                [&doc](benchmark::State &state) { WindowSave(state, doc); })
                ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("WindowMemory/lines-8m", [](benchmark::State &state) {
        WindowMemory(state, kDocuments[3]);
    })->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char **argv)
{
    // --write-document NAME PATH: one of the documents, for a measurement outside this process.
    if (argc == 4 && std::string_view(argv[1]) == "--write-document") {
        for (const Document &doc : kDocuments)
            if (std::string_view(doc.name) == argv[2]) {
                writeDocument(doc, QString::fromLocal8Bit(argv[3]));
                return 0;
            }
        std::fprintf(stderr, "yaoshi_bench: no document %s\n", argv[2]);
        return 2;
    }
    QApplication app(argc, argv);
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
