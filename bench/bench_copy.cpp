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

#include <cstring>
#include <memory>
#include <random>

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

void BM_StartupToFirstPaint(benchmark::State& state) {
    QTemporaryDir programDir;
    const QString build = QCoreApplication::applicationDirPath();
    QFile::copy(build + QStringLiteral("/kopix"), programDir.filePath(QStringLiteral("kopix")));
    QFile::copy(build + QStringLiteral("/Sample.txt"), programDir.filePath(QStringLiteral("Sample.txt")));
    QFile::setPermissions(programDir.filePath(QStringLiteral("kopix")), QFile::ReadOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), qEnvironmentVariable("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("KOPIX_QUIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    // 0: the empty window, 1: Kopix on its sample, 2: the empty window with a line of text.
    const bool kopix = state.range(0) == 1;
    const QStringList yardstickArguments =
        state.range(0) == 2 ? QStringList{QStringLiteral("--text")} : QStringList{};
    for (auto _ : state) {
        const qint64 ns =
            kopix ? runNsToFirstPaint(programDir.filePath(QStringLiteral("kopix")), {}, environment)
                  : runNsToFirstPaint(build + QStringLiteral("/kopix_bench_empty_app"), yardstickArguments,
                                      environment);
        if (ns < 0) {
            state.SkipWithError("the program never said it had painted");
            break;
        }
        state.SetIterationTime(double(ns) / 1e9);
    }
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
BENCHMARK(BM_StartupToFirstPaint)
    ->Arg(0)
    ->Arg(2)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return bench::runOffscreen(argc, argv);
}
