// Loading a large document: the time until its lines are in the list's model and until the list has
// painted them, against the floor of reading, decoding and splitting the same file; and the memory the
// loaded document costs.
#include "bench/BenchDocuments.h"
#include "core/Bookmarks.h"
#include "core/DocumentFile.h"
#include "core/LegacyCodePage.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/KopixApplication.h"
#include "mainwin/LineListModel.h"
#include "mainwin/UfC.h"
#include "platform/LinuxPlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>

using namespace kopix;

namespace {

constexpr int Million = 1000000;

// The least any loader must do: read the bytes, decode them, find the line starts.
void floorRead(const QString& path, TextEncoding encoding) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const QString text =
        encoding == TextEncoding::Legacy ? LegacyCodePage::system().decode(bytes) : QString::fromUtf8(bytes);
    std::vector<qsizetype> starts;
    starts.reserve(size_t(text.size() / 16));
    const char16_t* data = reinterpret_cast<const char16_t*>(text.constData());
    starts.push_back(0);
    for (qsizetype i = 0; i < text.size(); ++i)
        if (data[i] == u'\n')
            starts.push_back(i + 1);
    benchmark::DoNotOptimize(starts.data());
}

void BM_Floor(benchmark::State& state, TextEncoding encoding) {
    const QString path = bench::generatedDocument(int(state.range(0)), encoding);
    for (auto _ : state)
        floorRead(path, encoding);
}

void BM_IntoModel(benchmark::State& state, TextEncoding encoding) {
    const QString path = bench::generatedDocument(int(state.range(0)), encoding);
    LineListModel model;
    DocumentListView view;
    view.setModel(&model);
    for (auto _ : state) {
        DocumentReadResult read = readDocument(path);
        model.setLines(std::move(read.document->lines));
        benchmark::DoNotOptimize(model.rowCount());
    }
}

void BM_FirstPaint(benchmark::State& state, TextEncoding encoding) {
    const QString path = bench::generatedDocument(int(state.range(0)), encoding);
    bench::MainWindow window;
    for (auto _ : state)
        window.openAndPaint(path);
    state.counters["rows"] = double(window.fC->lines().count());
}

// Resident memory added by a loaded document over the empty window, as a multiple of its UTF-16 text.
void BM_MemoryOverText(benchmark::State& state, TextEncoding encoding) {
    const QString path = bench::generatedDocument(int(state.range(0)), encoding);
    double ratio = 0;
    for (auto _ : state) {
        bench::MainWindow window;
        ::malloc_trim(0);
        const qint64 before = bench::residentBytes();
        window.openAndPaint(path);
        const qint64 after = bench::residentBytes();
        const double utf16 = double(window.fC->lines().lengthWithCrLf()) * 2;
        ratio = double(after - before) / utf16;
    }
    state.counters["memory_over_utf16"] = ratio;
}

// Repainting the list when its first row holds one line of `characters` characters: the cost must not
// grow with the line's length.
void BM_RepaintOneLongLine(benchmark::State& state) {
    const QString path = QDir::tempPath() + QStringLiteral("/kopix-bench-line-%1.txt").arg(state.range(0));
    if (!QFile::exists(path)) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        const QByteArray piece = "a long line of text, ";
        for (qint64 written = 0; written < state.range(0); written += piece.size())
            file.write(piece.first(qsizetype(std::min<qint64>(piece.size(), state.range(0) - written))));
        file.write("\r\nshort\r\n");
    }
    bench::MainWindow window;
    window.openAndPaint(path);
    for (auto _ : state)
        window.fC->LBox->viewport()->repaint();
}

// The bookmark scan of a load over a 1,000,000-line document without a single star, the case where it
// reads the whole text.
void BM_BookmarkScanWithoutStars(benchmark::State& state) {
    DocumentReadResult read = readDocument(bench::generatedDocument(int(state.range(0)), TextEncoding::Utf8));
    QString text = read.document->lines.joinedWithCrLf();
    text.replace(QChar(BookmarkStar), u'*');
    const LineStore lines = LineStore::fromText(std::move(text));
    for (auto _ : state)
        benchmark::DoNotOptimize(bookmarkLines(lines).size());
}

} // namespace

BENCHMARK(BM_BookmarkScanWithoutStars)->Arg(Million)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintOneLongLine)->Arg(100)->Arg(50 * 1000 * 1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MemoryOverText, utf8, TextEncoding::Utf8)
    ->Arg(Million)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MemoryOverText, cp932, TextEncoding::Legacy)
    ->Arg(Million)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Floor, utf8, TextEncoding::Utf8)->Arg(Million)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_IntoModel, utf8, TextEncoding::Utf8)->Arg(Million)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstPaint, utf8, TextEncoding::Utf8)->Arg(Million)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Floor, cp932, TextEncoding::Legacy)->Arg(Million)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_IntoModel, cp932, TextEncoding::Legacy)->Arg(Million)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstPaint, cp932, TextEncoding::Legacy)->Arg(Million)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstPaint, utf8_100k, TextEncoding::Utf8)->Arg(100000)->Unit(benchmark::kMillisecond);
// Ten times the lines: at most eleven times as long as with a million.
BENCHMARK_CAPTURE(BM_FirstPaint, utf8_10M, TextEncoding::Utf8)
    ->Arg(10 * Million)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return bench::runOffscreen(argc, argv);
}
