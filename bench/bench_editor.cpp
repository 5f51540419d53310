// The correction tab on big documents: the first entry (which fills the editor), a later entry, and the
// memory the filled editor costs.
#include "bench/BenchDocuments.h"
#include "core/DocumentFile.h"
#include "mainwin/CorrectionEditor.h"

#include <QApplication>
#include <QTabWidget>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>

using namespace kopix;

namespace {

void enterTab(TfC& window) {
    window.PageControl1->setCurrentWidget(window.TabNote);
    window.Memo1->repaint();
}

void leaveTab(TfC& window) {
    window.PageControl1->setCurrentWidget(window.TabCopy);
    QCoreApplication::processEvents();
}

// The first entry after a load, in a window of its own: the editor is filled from the lines, then shows
// its first page.
void BM_FirstEntry(benchmark::State& state) {
    const QString path = bench::generatedDocument(int(state.range(0)), TextEncoding::Utf8);
    double memoryRatio = 0;
    double megabytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<bench::MainWindow>();
        window->openAndPaint(path);
        ::malloc_trim(0);
        const qint64 before = bench::residentBytes();
        state.ResumeTiming();
        enterTab(*window->fC);
        state.PauseTiming();
        // What the editor keeps: the filling's temporary copies of the text are freed, but the allocator
        // may hold on to the space until it is trimmed.
        ::malloc_trim(0);
        const qint64 after = bench::residentBytes();
        // The text as the editor holds it, every line with its CR LF, in UTF-16.
        const double utf16 = double(window->fC->lines().textLength() + 2 * window->fC->lines().count()) * 2;
        memoryRatio = double(after - before) / utf16;
        megabytes = double(after - before) / (1024 * 1024);
        window.reset();
        state.ResumeTiming();
    }
    state.counters["editor_memory_over_utf16"] = memoryRatio;
    state.counters["editor_MiB"] = megabytes;
}

// Entering again, the editor already filled.
void BM_LaterEntry(benchmark::State& state) {
    const QString path = bench::generatedDocument(int(state.range(0)), TextEncoding::Utf8);
    bench::MainWindow window;
    window.openAndPaint(path);
    enterTab(*window.fC);
    for (auto _ : state) {
        state.PauseTiming();
        leaveTab(*window.fC);
        state.ResumeTiming();
        enterTab(*window.fC);
    }
}

} // namespace

BENCHMARK(BM_FirstEntry)->Arg(1000)->Arg(100000)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LaterEntry)->Arg(1000000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return bench::runOffscreen(argc, argv);
}
