// Finding a text as it is typed into the find bar, on a million rows: the rule over the lines' text alone,
// and a keystroke in the real window (the box, the search, the row selected and scrolled to, the repaint).
#include "bench/BenchDocuments.h"
#include "core/DocumentFile.h"
#include "core/FindText.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/FindBar.h"
#include "mainwin/UfC.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QModelIndex>

#include <benchmark/benchmark.h>

using namespace kopix;

namespace {

constexpr int Rows = 1000000;

// What is looked for, from the first row: the last row's number (the whole text scanned, then found), a
// text no row has (the whole text, twice over the split), full-width Latin for a URL near the end,
// full-width katakana for a half-width line near the end; and, in rows of 40 "a", 20 "a" and a "b": every
// character of the text begins a near match, the worst case for a search that compares at every start.
struct Case {
    QString needle;
    bool worstCase = false;
    bool found = true;
};
const Case Cases[] = {{QStringLiteral("999999")},
                      {QStringLiteral("さようなら"), false, false},
                      {QStringLiteral("ＦＡＱ.HTML999994")},
                      {QStringLiteral("カタカナ 半角 ① Ⅰ ～999998")},
                      {QString(20, u'a') + u'b', true, false}};

// The rows of the worst case, written once into a temporary file.
QString worstCaseDocument() {
    const QString path = QDir::tempPath() + QStringLiteral("/kopix-bench-find-worst-%1.txt").arg(Rows);
    if (QFile::exists(path))
        return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the benchmark document %s", qPrintable(path));
    file.write(QByteArray(40, 'a').append("\r\n").repeated(Rows));
    return path;
}

QString documentFor(const Case& c) {
    return c.worstCase ? worstCaseDocument() : bench::generatedDocument(Rows, TextEncoding::Utf8);
}

void BM_FindInLines(benchmark::State& state) {
    const Case& c = Cases[state.range(0)];
    const LineStore lines = std::move(readDocument(documentFor(c)).document->lines);
    state.SetLabel(c.needle.toStdString());
    for (auto _ : state)
        benchmark::DoNotOptimize(findInLines(lines, c.needle, 0, FindDirection::Forward));
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
    const Case& c = Cases[state.range(0)];
    bench::MainWindow window;
    window.openAndPaint(documentFor(c));
    window.fC->ActFindExecute();
    QLineEdit* box = window.fC->findBar()->box();
    const QString& needle = c.needle;
    state.SetLabel(needle.toStdString());
    for (auto _ : state) {
        state.PauseTiming();
        box->setText(needle.chopped(1));
        window.fC->LBox->setCurrentIndex(window.fC->LBox->model()->index(0, 0));
        QCoreApplication::processEvents();
        state.ResumeTiming();
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, needle.right(1));
        QCoreApplication::sendEvent(box, &key);
        // A search too long for the keystroke goes on in slices; measured to its end.
        while (window.fC->findBar()->isSearching())
            QCoreApplication::processEvents();
        window.fC->LBox->viewport()->repaint();
    }
    if (window.fC->findBar()->showsNoMatch() == c.found)
        state.SkipWithError("the keystroke did not find what it should have");
}

} // namespace

BENCHMARK(BM_FindInLines)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindBackwardInLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeInTheFindBar)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return bench::runOffscreen(argc, argv);
}
