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
// full-width katakana for a half-width line near the end; and, in rows of 40 units of one piece, 20 of it and
// one more that no row has: every character of the text begins a near match, the worst case for a search
// that compares at every start. In rows of "a" a last "b" lets the filter pass over every row, a last "ba"
// does not, and every unit is read; so too in rows of hiragana "か" for "カ" and "ガ" (as "か" with a sound
// mark would be "ガ"), and in rows of "か゛" for "ガ", each kana read with its mark.
struct Case {
    QString needle;
    QString rowPiece = {}; // empty: the generated document of phrases
    bool found = true;
};
const Case Cases[] = {{QStringLiteral("999999")},
                      {QStringLiteral("さようなら"), {}, false},
                      {QStringLiteral("ＦＡＱ.HTML999994")},
                      {QStringLiteral("カタカナ 半角 ① Ⅰ ～999998")},
                      {QString(20, u'a') + u'b', QStringLiteral("a"), false},
                      {QString(20, u'a') + QStringLiteral("ba"), QStringLiteral("a"), false},
                      {QString(20, u'カ') + u'ガ', QStringLiteral("か"), false},
                      {QString(20, u'ガ') + u'ギ', QStringLiteral("か゛"), false}};

// The rows of a near match, written once into a temporary file named by the piece.
QString nearMatchDocument(const QString& piece) {
    QString name;
    for (const QChar unit : piece)
        name += QStringLiteral("%1").arg(unit.unicode(), 4, 16, QLatin1Char('0'));
    const QString path = QDir::tempPath() + QStringLiteral("/kopix-bench-find-%1-%2.txt").arg(name).arg(Rows);
    if (QFile::exists(path))
        return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the benchmark document %s", qPrintable(path));
    file.write(piece.repeated(40 / piece.size()).append(QStringLiteral("\r\n")).toUtf8().repeated(Rows));
    return path;
}

QString documentFor(const Case& c) {
    return c.rowPiece.isEmpty() ? bench::generatedDocument(Rows, TextEncoding::Utf8)
                                : nearMatchDocument(c.rowPiece);
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

BENCHMARK(BM_FindInLines)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindBackwardInLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeInTheFindBar)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return bench::runOffscreen(argc, argv);
}
