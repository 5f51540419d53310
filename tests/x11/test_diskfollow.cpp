// The document follows its file on disk: what another program writes shows without F4, pending
// corrections are never read over, and a file that keeps changing is read at most once a second.
#include "support/RealKopixFixture.h"

#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/StatusPanel.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTabWidget>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray numberedLines(const char* prefix, int count) {
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += prefix + QByteArray::number(i) + "\r\n";
    return lines;
}

// How another program saves: over the file itself, or into a new file renamed over it (most editors).
struct Save {
    const char* name;
    void (*write)(const QString& path, const QByteArray& bytes);
};

void writeInPlace(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void writeAndRename(const QString& path, const QByteArray& bytes) {
    const QString temporary = path + u".new"_s;
    writeInPlace(temporary, bytes);
    std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData());
}

class DiskFollow : public RealKopixFixture {
protected:
    QString document() const { return inProgramDir(u"doc.txt"_s); }
};

class SavedByAnotherProgram : public DiskFollow, public ::testing::WithParamInterface<Save> {};

TEST_P(SavedByAnotherProgram, ShowsWithinASecondWithANoteKeepingTheTopRow) {
    startFramed(numberedLines("old ", 300));
    window->LBox->setTopRow(100);
    pumpEvents(100);
    // A row selected and not copied yet: the reload starts the copy afresh, as F4 does.
    const QModelIndex row = window->LBox->model()->index(101, 0);
    xdotool(QStringList{u"mousemove"_s} +
            at(window->LBox->viewport(), window->LBox->visualRect(row).center()) +
            QStringList{u"click"_s, u"1"_s});
    ASSERT_TRUE(waitFor([this] { return window->copyState() == TSTS::SelN; }));

    // Shorter than the list was: the top row stays as far as the new lines go.
    QElapsedTimer clock;
    clock.start();
    GetParam().write(document(), numberedLines("new ", 120));
    ASSERT_TRUE(waitFor([this] { return rows().value(0) == u"new 0"_s; }, 1000))
        << "still " << rows().value(0).toStdString();
    std::printf("shown after %lld ms\n", clock.elapsed());
    EXPECT_EQ(rows().size(), 120);
    EXPECT_EQ(window->SBarPanels[1]->shownText(), u"ファイルが更新されました"_s);
    EXPECT_EQ(window->copyState(), TSTS::Sel0);
    EXPECT_EQ(window->windowTitle(), u"doc.txt - Kopix"_s);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->LBox->topRow(), std::min(100, window->LBox->verticalScrollBar()->maximum()));
    EXPECT_GT(window->LBox->verticalScrollBar()->maximum(), 50);
}

INSTANTIATE_TEST_SUITE_P(Ways, SavedByAnotherProgram,
                         ::testing::Values(Save{"InPlace", writeInPlace}, Save{"ByRename", writeAndRename}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DiskFollow, ReadOnTheCorrectionTabTheEditorKeepsItsPlace) {
    startFramed(numberedLines("old ", 300));
    window->PageControl1->setCurrentWidget(window->TabNote);
    CorrectionEditor* editor = window->correctionEditor();
    editor->setCursorPosition(103, 2);
    editor->scrollLines(100 - editor->firstVisibleLine());
    ASSERT_EQ(editor->firstVisibleLine(), 100);

    writeAndRename(document(), numberedLines("new ", 300));
    ASSERT_TRUE(waitFor([&] { return editor->text(0) == u"new 0\r\n"_s; }, 2000));
    EXPECT_EQ(editor->firstVisibleLine(), 100);
    int line = 0;
    int index = 0;
    editor->getCursorPosition(&line, &index);
    EXPECT_EQ(line, 103);
    EXPECT_EQ(index, 2);
    window->PageControl1->setCurrentWidget(window->TabCopy);
    EXPECT_EQ(window->LBox->topRow(), 100) << "and the list, back on the copy tab";
}

TEST_F(DiskFollow, PendingCorrectionsAreNeverReadOver) {
    startFramed("first\r\n");
    editCorrections(u"mine\n"_s);
    const QByteArray theirs = "theirs\r\n";
    writeAndRename(document(), theirs);
    // The change is seen, and held back.
    ASSERT_TRUE(waitFor([this] { return window->PageControl1->tabText(1) == u"訂正（更新あり）"_s; }, 3000));
    EXPECT_EQ(rows(), QStringList{u"first"_s});
    EXPECT_TRUE(window->correctionsPending());
    EXPECT_EQ(window->Memo1()->text(), u"mine\r\n"_s);
    EXPECT_EQ(readFile(document()), theirs);

    // Dropped with 訂正開始時に戻す, they hold nothing back any more.
    window->EditSync->trigger();
    EXPECT_EQ(rows(), QStringList{u"theirs"_s});
    EXPECT_EQ(window->PageControl1->tabText(1), u"訂正"_s);
}

// A log being written: 400 writes over two seconds.
TEST_F(DiskFollow, AFileThatKeepsChangingIsReadAtMostOnceASecond) {
    startFramed("start\r\n");
    int reloads = 0;
    QObject::connect(window->LBox->model(), &QAbstractItemModel::modelReset, [&reloads] { ++reloads; });
    constexpr int writes = 400;
    std::atomic<bool> written = false;
    std::thread writer([path = document(), &written] {
        const auto begin = std::chrono::steady_clock::now();
        QByteArray log;
        for (int i = 0; i < writes; ++i) {
            std::this_thread::sleep_until(begin + std::chrono::milliseconds(5 * i));
            log += "entry " + QByteArray::number(i) + "\r\n";
            writeInPlace(path, log);
        }
        written = true;
    });
    ASSERT_TRUE(waitFor([&written] { return written.load(); }, 10000));
    writer.join();
    ASSERT_TRUE(waitFor([this] { return rows().size() == writes; }, 2000)) << rows().size();
    std::printf("%d reloads\n", reloads);
    // About one a second while it is written, and the last state once it has settled.
    EXPECT_LE(reloads, 4);
    EXPECT_EQ(rows().last(), u"entry 399"_s);
}

// The file changes while the user drags a selection: the drag goes on over the rows read anew, and what it
// selects is armed for the copy as any selection is.
TEST_F(DiskFollow, ADragSelectionAcrossAReloadIsArmed) {
    startFramed(numberedLines("old ", 20));
    const auto rowAt = [this](int row) {
        return at(window->LBox->viewport(),
                  window->LBox->visualRect(window->LBox->model()->index(row, 0)).center());
    };
    xdotool(QStringList{u"mousemove"_s} + rowAt(1) + QStringList{u"mousedown"_s, u"1"_s});
    xdotool(QStringList{u"mousemove"_s} + rowAt(3));
    ASSERT_TRUE(waitFor([this] { return window->LBox->selectionModel()->selectedRows().size() == 3; }));
    writeAndRename(document(), numberedLines("new ", 20));
    ASSERT_TRUE(waitFor([this] { return rows().value(0) == u"new 0"_s; }, 2000));
    xdotool(QStringList{u"mousemove"_s} + rowAt(4));
    xdotool({u"mouseup"_s, u"1"_s});
    ASSERT_TRUE(waitFor([this] { return !window->LBox->selectionModel()->selectedRows().isEmpty(); }));
    EXPECT_EQ(window->copyState(), TSTS::SelN) << "what is selected waits to be copied";
    xdotool(QStringList{u"mousemove"_s} + at(window->Pnl2, QPoint(8, 40)));
    EXPECT_TRUE(waitFor([this] { return window->copyState() == TSTS::SelC; }));
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(u"new "_s))
        << QGuiApplication::clipboard()->text().toStdString();
}

} // namespace
