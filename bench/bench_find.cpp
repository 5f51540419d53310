// Finding a text as it is typed into the find bar, on a million rows: the rule over the lines' text alone,
// and a keystroke in the real window (the box, the search, the row selected and scrolled to, the repaint).
#include "bench/BenchDocuments.h"
#include "core/DocumentFile.h"
#include "core/FindText.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/FindBar.h"
#include "mainwin/UfC.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QModelIndex>

#include <benchmark/benchmark.h>

using namespace kopix;

namespace {

constexpr int Rows = 1000000;

// What is looked for, from the first row: the last row's number (the whole text scanned, then found), a
// text no row has (the whole text, twice over the split), full-width Latin for a URL near the end, and
// full-width katakana for a half-width line near the end.
const QString Needles[] = {QStringLiteral("999999"), QStringLiteral("さようなら"),
                           QStringLiteral("ＦＡＱ.HTML999994"), QStringLiteral("カタカナ 半角 ① Ⅰ ～999998")};

void BM_FindInLines(benchmark::State& state) {
    const LineStore lines =
        std::move(readDocument(bench::generatedDocument(Rows, TextEncoding::Utf8)).document->lines);
    const QString& needle = Needles[state.range(0)];
    state.SetLabel(needle.toStdString());
    for (auto _ : state)
        benchmark::DoNotOptimize(findInLines(lines, needle, 0, FindDirection::Forward));
}

void BM_FindBackwardInLines(benchmark::State& state) {
    const LineStore lines =
        std::move(readDocument(bench::generatedDocument(Rows, TextEncoding::Utf8)).document->lines);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            findInLines(lines, QStringLiteral("さようなら"), Rows / 2, FindDirection::Backward));
}

// The last character of the text typed into the box, and everything that follows in the window until it
// has painted.
void BM_KeystrokeInTheFindBar(benchmark::State& state) {
    bench::MainWindow window;
    window.openAndPaint(bench::generatedDocument(Rows, TextEncoding::Utf8));
    window.fC->ActFindExecute();
    QLineEdit* box = window.fC->findBar()->box();
    const QString& needle = Needles[state.range(0)];
    state.SetLabel(needle.toStdString());
    for (auto _ : state) {
        state.PauseTiming();
        box->setText(needle.chopped(1));
        window.fC->LBox->setCurrentIndex(window.fC->LBox->model()->index(0, 0));
        QCoreApplication::processEvents();
        state.ResumeTiming();
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, needle.right(1));
        QCoreApplication::sendEvent(box, &key);
        window.fC->LBox->viewport()->repaint();
    }
    if (window.fC->findBar()->showsNoMatch() != (state.range(0) == 1))
        state.SkipWithError("the keystroke did not find what it should have");
}

} // namespace

BENCHMARK(BM_FindInLines)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindBackwardInLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeInTheFindBar)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return bench::runOffscreen(argc, argv);
}
