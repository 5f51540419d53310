// The copy gesture on large documents: composing the clipboard text, select-all, repainting after a
// scroll, and Kopix's start-up to its first paint against an empty Qt program.
#include "app/QuitAfterFirstPaint.h"
#include "bench/BenchDocuments.h"
#include "core/CopyText.h"
#include "core/DocumentFile.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/KopixApplication.h"
#include "mainwin/UfC.h"
#include "platform/LinuxPlatform.h"

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

using namespace kopix;

namespace {

LineStore loadLines(int count) {
    return std::move(readDocument(bench::generatedDocument(count, TextEncoding::Utf8)).document->lines);
}

// Composing and storing the whole document as the clipboard text, against copying that many bytes.
void BM_CopyAllRows(benchmark::State& state) {
    const LineStore lines = loadLines(int(state.range(0)));
    const RowRanges all{{0, lines.count() - 1}};
    for (auto _ : state) {
        QGuiApplication::clipboard()->setText(composeCopyText(lines, all));
        benchmark::ClobberMemory();
    }
}

void BM_MemcpyOfTheText(benchmark::State& state) {
    const LineStore lines = loadLines(int(state.range(0)));
    const QString text = composeCopyText(lines, {{0, lines.count() - 1}});
    const qsizetype bytes = text.size() * qsizetype(sizeof(char16_t));
    for (auto _ : state) {
        auto* target = static_cast<char*>(::malloc(size_t(bytes)));
        std::memcpy(target, text.constData(), size_t(bytes));
        benchmark::DoNotOptimize(target);
        ::free(target);
    }
}

// A few rows, or many small ranges, cost the same whatever the document's length.
void BM_CopyRanges(benchmark::State& state) {
    const LineStore lines = loadLines(int(state.range(0)));
    const int rangeCount = int(state.range(1));
    RowRanges ranges;
    for (int i = 0; i < rangeCount; ++i) {
        const qsizetype first = qsizetype(i) * (lines.count() / rangeCount);
        ranges.emplace_back(first, first + 9);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(composeCopyText(lines, normalizedRanges(ranges)));
}

struct Window {
    QTemporaryDir programDir;
    LinuxPlatform platform;
    std::unique_ptr<TfC> fC;
    explicit Window(int lines) {
        fC = std::make_unique<TfC>(platform, QStringList{programDir.filePath(QStringLiteral("kopix"))});
        fC->show();
        QCoreApplication::processEvents();
        fC->OpenDocument(bench::generatedDocument(lines, TextEncoding::Utf8));
        fC->LBox->doItemsLayout();
        fC->LBox->viewport()->repaint();
    }
};

void BM_SelectAll(benchmark::State& state) {
    Window window(int(state.range(0)));
    for (auto _ : state) {
        window.fC->LBox->clearSelection();
        window.fC->ActSelAllExecute();
        benchmark::DoNotOptimize(window.fC->LBox->selectionModel()->hasSelection());
    }
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

void BM_RepaintAfterScroll(benchmark::State& state) {
    Window window(int(state.range(0)));
    QScrollBar* bar = window.fC->LBox->verticalScrollBar();
    if (bar->maximum() < 1000) {
        state.SkipWithError("the list did not lay out its rows");
        return;
    }
    PaintCounter counter;
    window.fC->LBox->viewport()->installEventFilter(&counter);
    std::mt19937 random(7);
    for (auto _ : state) {
        bar->setValue(int(random() % unsigned(bar->maximum() + 1)));
        window.fC->LBox->viewport()->repaint();
    }
    state.counters["paints_per_scroll"] = double(counter.paints) / double(state.iterations());
}

// Whole processes, from their start until they say they have painted: Kopix its list on the sample, and
// an empty Qt window. What a program does after its first paint, ending included, is not counted.
// The platform is the benchmark's own: offscreen unless QT_QPA_PLATFORM says otherwise, so that
// QT_QPA_PLATFORM=xcb measures both under the X server in DISPLAY.
qint64 runNsToFirstPaint(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    qint64 painted = -1;
    while (painted < 0 && process.waitForReadyRead(30000))
        if (process.readAllStandardOutput().contains(QuitAfterFirstPaint::PaintedWord))
            painted = clock.nsecsElapsed();
    process.waitForFinished(30000);
    return painted;
}

// Kopix on its sample and the two yardsticks (an empty window, and one with a line of text) started in
// turn, so that each start finds the machine as the others do. The time is Kopix's; the counters are each
// program's median and Kopix's against both.
void BM_StartupToFirstPaint(benchmark::State& state) {
    QTemporaryDir programDir;
    const QString build = QCoreApplication::applicationDirPath();
    QFile::copy(build + QStringLiteral("/kopix"), programDir.filePath(QStringLiteral("kopix")));
    QFile::copy(build + QStringLiteral("/Sample.txt"), programDir.filePath(QStringLiteral("Sample.txt")));
    QFile::setPermissions(programDir.filePath(QStringLiteral("kopix")), QFile::ReadOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), qEnvironmentVariable("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("KOPIX_QUIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    struct Start {
        QString program;
        QStringList arguments;
        std::vector<double> ms;
    };
    const QString yardstick = build + QStringLiteral("/kopix_bench_empty_app");
    std::array<Start, 3> starts{{{yardstick, {}, {}},
                                 {yardstick, {QStringLiteral("--text")}, {}},
                                 {programDir.filePath(QStringLiteral("kopix")), {}, {}}}};
    bool painted = true;
    for (auto _ : state) {
        for (Start& start : starts) {
            const qint64 ns = runNsToFirstPaint(start.program, start.arguments, environment);
            painted = painted && ns >= 0;
            start.ms.push_back(double(ns) / 1e6);
        }
        if (!painted) {
            state.SkipWithError("a program never said it had painted");
            break;
        }
        state.SetIterationTime(starts[2].ms.back() / 1e3);
    }
    if (!painted)
        return;
    const auto median = [](std::vector<double> values) {
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        return values[values.size() / 2];
    };
    const double empty = median(starts[0].ms);
    const double text = median(starts[1].ms);
    const double kopix = median(starts[2].ms);
    state.counters["empty_ms"] = empty;
    state.counters["text_ms"] = text;
    state.counters["x_empty"] = kopix / empty;
    state.counters["x_text"] = kopix / text;
}

} // namespace

BENCHMARK(BM_CopyAllRows)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyOfTheText)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyRanges)
    ->Args({1000, 1})
    ->Args({1000000, 1})
    ->Args({20000, 1000})
    ->Args({1000000, 1000})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SelectAll)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintAfterScroll)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupToFirstPaint)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return bench::runOffscreen(argc, argv);
}
