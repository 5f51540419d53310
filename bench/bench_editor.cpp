// The correction tab on big documents: the first entry (which fills the editor), a later entry, the
// memory the filled editor costs, and a correction written back.
#include "bench/BenchDocuments.h"
#include "core/DocumentFile.h"
#include "core/FileWriter.h"
#include "mainwin/CorrectionEditor.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTabWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>

using namespace kopix;

namespace {

void enterTab(TfC& window) {
    window.PageControl1->setCurrentWidget(window.TabNote);
    window.Memo1()->repaint();
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
        const double utf16 = double(window->fC->lines().lengthWithCrLf()) * 2;
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

// A copy of the generated document of `lines` lines in folder, for a benchmark that writes it.
QString copyToWrite(const QTemporaryDir& folder, int lines, TextEncoding encoding = TextEncoding::Utf8) {
    const QString path = folder.filePath(QStringLiteral("doc.txt"));
    QFile::copy(bench::generatedDocument(lines, encoding), path);
    return path;
}

// One character typed on 訂正, then back to 転記: the corrections written over the file, and the list
// showing the document as written. On a copy of the generated document, which each save changes. In the
// legacy code page every line is matched against the file, as its bytes may not be those its text
// encodes to.
void BM_SaveAndReload(benchmark::State& state, TextEncoding encoding) {
    QTemporaryDir folder;
    const QString path = copyToWrite(folder, int(state.range(0)), encoding);
    bench::MainWindow window;
    ::malloc_trim(0);
    const qint64 idle = bench::residentBytes();
    window.openAndPaint(path);
    qint64 peak = 0;
    qint64 saving = 0;
    for (auto _ : state) {
        state.PauseTiming();
        enterTab(*window.fC);
        window.fC->Memo1()->insertPastedText(QStringLiteral("!"));
        ::malloc_trim(0);
        const qint64 before = bench::residentBytes();
        bench::resetPeakResident();
        state.ResumeTiming();
        leaveTab(*window.fC);
        state.PauseTiming();
        peak = std::max(peak, bench::peakResidentBytes() - idle);
        saving = std::max(saving, bench::peakResidentBytes() - before);
        state.ResumeTiming();
    }
    const double utf16 = double(window.fC->lines().lengthWithCrLf()) * 2;
    // What the save and the reload add at their peak to the window at rest with the document and the filled
    // editor, against the text in UTF-16.
    state.counters["save_peak_over_utf16"] = double(saving) / utf16;
    // The peak above the window without a document, against the file: what correcting a document of that
    // size needs.
    state.counters["peak_over_utf16"] = double(peak) / utf16;
    state.counters["peak_over_file"] = double(peak) / double(QFileInfo(path).size());
}

// The session ending (a logout, SIGTERM) with a correction not yet written: the correction saved and the
// window closed, without a question.
void BM_CloseWithCorrectionPending(benchmark::State& state) {
    QTemporaryDir folder;
    const QString path = copyToWrite(folder, int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<bench::MainWindow>();
        window->openAndPaint(path);
        enterTab(*window->fC);
        window->fC->Memo1()->insertPastedText(QStringLiteral("!"));
        state.ResumeTiming();
        window->fC->CloseForSessionEnd();
        QCoreApplication::processEvents();
        state.PauseTiming();
        QFile written(path);
        if (!written.open(QIODevice::ReadOnly) || written.read(1) != "!")
            state.SkipWithError("the correction was not saved");
        window.reset();
        state.ResumeTiming();
    }
}

// What any such save must do at the least: the editor's text encoded and written, then read, decoded and
// cut into lines again.
void BM_SaveAndReloadFloor(benchmark::State& state) {
    QTemporaryDir folder;
    const QString path = copyToWrite(folder, int(state.range(0)));
    const QString text = readDocument(path).document->lines.joinedWithCrLf();
    for (auto _ : state) {
        const std::optional<QByteArray> bytes = encodeText(text, TextEncoding::Utf8);
        QString error;
        if (!bytes || !writeFileSafely(path, *bytes, &error))
            state.SkipWithError("cannot write");
        DocumentReadResult read = readDocument(path);
        benchmark::DoNotOptimize(read);
    }
}

// A document whose first line is `characters` long, written once into the temporary folder.
QString longLineDocument(qint64 characters) {
    const QString path = QDir::tempPath() + QStringLiteral("/kopix-bench-editor-line-%1.txt").arg(characters);
    if (!QFile::exists(path)) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        const QByteArray piece = "a long line of text, ";
        for (qint64 written = 0; written < characters; written += piece.size())
            file.write(piece.first(qsizetype(std::min<qint64>(piece.size(), characters - written))));
        file.write("\r\nshort\r\n");
    }
    return path;
}

// Entering 訂正 on a document with one very long line: the editor filled and painted.
void BM_EnterWithLongLine(benchmark::State& state) {
    const QString path = longLineDocument(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<bench::MainWindow>();
        window->openAndPaint(path);
        state.ResumeTiming();
        enterTab(*window->fC);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

// One character typed at the start of that line, and the editor painted again.
void BM_KeystrokeOnLongLine(benchmark::State& state) {
    const QString path = longLineDocument(state.range(0));
    bench::MainWindow window;
    window.openAndPaint(path);
    enterTab(*window.fC);
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(window.fC->Memo1(), &press);
        window.fC->Memo1()->viewport()->repaint();
    }
}

} // namespace

BENCHMARK(BM_EnterWithLongLine)
    ->Arg(100000)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeOnLongLine)
    ->Arg(100000)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveAndReload, utf8, TextEncoding::Utf8)
    ->Arg(1000000)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveAndReload, cp932, TextEncoding::Legacy)
    ->Arg(1000000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloseWithCorrectionPending)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAndReloadFloor)->Arg(1000000)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstEntry)->Arg(1000)->Arg(100000)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LaterEntry)->Arg(1000000)->Unit(benchmark::kMillisecond);
// Ten times the lines: each of these takes at most eleven times as long as with a million.
BENCHMARK(BM_FirstEntry)->Arg(10000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveAndReload, utf8, TextEncoding::Utf8)
    ->Arg(10000000)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CloseWithCorrectionPending)->Arg(10000000)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return bench::runOffscreen(argc, argv);
}
