// Working out the bytes of a correction save on a 1,000,000-line document (one line changed), against
// the floor of the same work done without matching lines: encoding the editor's text, and reading the
// old file (decoding it and cutting it into lines).
#include "bench/BenchDocuments.h"
#include "core/DocumentFile.h"
#include "core/DocumentSave.h"
#include "core/LineStore.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>

using namespace kopix;

namespace {

constexpr int Lines = 1000000;

struct Document {
    QByteArray bytes;
    QString corrected; // the editor's text: CR LF between lines, one line changed
};

const Document& document(TextEncoding encoding) {
    static std::map<TextEncoding, Document> made;
    Document& d = made[encoding];
    if (d.bytes.isEmpty()) {
        QFile file(bench::generatedDocument(Lines, encoding));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read the benchmark document");
        d.bytes = file.readAll();
        d.corrected = decodeDocument(d.bytes).lines.joinedWithCrLf();
        d.corrected.insert(d.corrected.size() / 2, QStringLiteral("訂正 "));
    }
    return d;
}

void BM_CorrectionPlan(benchmark::State& state) {
    const auto encoding = TextEncoding(state.range(0));
    const Document& d = document(encoding);
    const qint64 idle = bench::residentBytes();
    qint64 peak = 0;
    for (auto _ : state) {
        CorrectionSave save = planCorrectionSave(d.corrected, encoding, d.bytes, encoding, true);
        peak = std::max(peak, bench::residentBytes() - idle);
        if (save.bytes.size() < d.bytes.size())
            state.SkipWithError("the plan lost bytes");
        benchmark::DoNotOptimize(save);
    }
    state.counters["peak_MB_over_idle"] = double(peak) / 1e6;
}

// What any save must do at the least: the text encoded, and the old file read as reading does.
void BM_CorrectionFloor(benchmark::State& state) {
    const auto encoding = TextEncoding(state.range(0));
    const Document& d = document(encoding);
    for (auto _ : state) {
        std::optional<QByteArray> encoded = encodeText(d.corrected, encoding);
        LoadedDocument old = decodeDocument(d.bytes);
        benchmark::DoNotOptimize(encoded);
        benchmark::DoNotOptimize(old);
    }
}

} // namespace

BENCHMARK(BM_CorrectionPlan)
    ->Arg(int(TextEncoding::Utf8))
    ->Arg(int(TextEncoding::Legacy))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_CorrectionFloor)
    ->Arg(int(TextEncoding::Utf8))
    ->Arg(int(TextEncoding::Legacy))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

BENCHMARK_MAIN();
