// Writing corrections back over a 100,000-line document: the usual way (a temporary file renamed over
// it) against the way in place that a hard link, another owner or a read-only folder asks for.
#include "bench/BenchDocuments.h"
#include "core/FileWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <unistd.h>

using namespace kopix;

namespace {

enum Way { Rename, InPlace };

// Each save changes one line in the middle, as a correction does; the file alternates between the two.
void BM_Save(benchmark::State& state) {
    QFile source(bench::generatedDocument(100000, TextEncoding::Utf8));
    if (!source.open(QIODevice::ReadOnly))
        qFatal("cannot read the benchmark document");
    const QByteArray original = source.readAll();
    QByteArray corrected = original;
    corrected.insert(corrected.size() / 2, "訂正 ");
    QTemporaryDir dir;
    QTemporaryDir spare;
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(original) != original.size())
        qFatal("cannot write the benchmark document");
    file.close();
    // A second name for the file: it can only be written in place.
    if (state.range(0) == InPlace && ::link(QFile::encodeName(path).constData(),
                                            QFile::encodeName(path + QStringLiteral(".2")).constData()) != 0)
        qFatal("cannot link the benchmark document");
    bool toggle = false;
    for (auto _ : state) {
        toggle = !toggle;
        QString error;
        if (!writeFileSafely(path, toggle ? corrected : original, &error, spare.path()))
            state.SkipWithError(qPrintable(error));
    }
    state.SetBytesProcessed(qint64(state.iterations()) * original.size());
    state.SetLabel(state.range(0) == InPlace ? "in place" : "rename");
}

} // namespace

BENCHMARK(BM_Save)->Arg(Rename)->Arg(InPlace)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
