// Opening documents while running: the recent-files list, refresh, the read-failure message, drops and
// corrections saved before another document is shown.
#include "support/EventWait.h"
#include "support/KopixFixture.h"

#include "core/PathBytes.h"
#include "core/WindowGeometry.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/ToolStrip.h"

#include "mainwin/CorrectionEditor.h"
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class Documents : public KopixFixture {
protected:
    void SetUp() override {
        KopixFixture::SetUp();
        first = writeFile(u"first.txt"_s, "first\r\n");
        writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
        start(first);
        platform.messages.clear();
    }

    // Moves a file's modification time, as another program saving it would.
    static void touch(const QString& path, int secondsAhead) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
        struct utimbuf times {
            info.st_atime, info.st_mtime + secondsAhead
        };
        ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &times), 0);
    }

    QString first;
};

TEST_F(Documents, ElevenDistinctFilesKeepTheNewestTen) {
    QStringList opened;
    for (int i = 0; i < 11; ++i) {
        opened.prepend(writeFile(u"f%1.txt"_s.arg(i), "x\r\n"));
        window->OpenDocument(opened.first());
    }
    EXPECT_EQ(window->UsedFL().entries(), opened.mid(0, 10));
}

TEST_F(Documents, NamesInAnotherLetterCaseAreOtherFiles) {
    const QString upper = writeFile(u"Notes.txt"_s, "upper\r\n");
    const QString lower = writeFile(u"notes.txt"_s, "lower\r\n");
    window->OpenDocument(upper);
    window->OpenDocument(lower);
    EXPECT_EQ(window->UsedFL().entry(0), lower);
    EXPECT_EQ(window->UsedFL().entry(1), upper);
    writeFile(lower, "lower, changed\r\n");
    touch(lower, 5);
    window->ActRefreshExecute();
    EXPECT_EQ(rows(), (QStringList{u"lower, changed"_s}))
        << "F4 reads the document on display, not its namesake";
}

TEST_F(Documents, OpeningAFileThatWasDeletedMovesItsEntryToTheEndAndKeepsTheDisplay) {
    const QString second = writeFile(u"second.txt"_s, "second\r\n");
    window->OpenDocument(second);
    ASSERT_EQ(window->UsedFL().entry(1), first);
    QFile::remove(first);
    window->findChild<QAction*>(u"ActF1"_s)->trigger();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages.first().type, MsgDlgType::Warning);
    EXPECT_EQ(window->UsedFL().entry(0), second);
    EXPECT_EQ(window->UsedFL().entry(1), QString());
    EXPECT_EQ(rows(), (QStringList{u"second"_s}));
    EXPECT_FALSE(window->findChild<QAction*>(u"ActF1"_s)->isVisible());
}

TEST_F(Documents, CorrectionsNeverReachAFileThatMovedIntoEntryZero) {
    const QString second = writeFile(u"second.txt"_s, "second\r\n");
    window->OpenDocument(second);
    QFile::remove(second);
    window->OpenDocument(second); // the warning; first.txt becomes entry 0 while second's lines still show
    ASSERT_EQ(window->UsedFL().entry(0), first);
    editCorrections(u"edited\n"_s);
    const QString third = writeFile(u"third.txt"_s, "third\r\n");
    window->FileOpenAccept(third);
    EXPECT_EQ(readFile(first), QByteArray("first\r\n"));
    EXPECT_EQ(readFile(second), QByteArray("edited\r\n")) << "the corrections belong to the document shown";
    EXPECT_EQ(rows(), (QStringList{u"third"_s}));
}

TEST_F(Documents, CorrectionsAreSavedInTheDocumentsOwnEncodingBeforeAnotherOpens) {
    const QByteArray cp932 = "\x93\xfa\x96\x7b\r\n"; // 日本
    const QString legacy = writeFile(u"legacy.txt"_s, cp932);
    window->OpenDocument(legacy);
    ASSERT_EQ(rows(), (QStringList{u"日本"_s}));
    editCorrections(u"日本\n語\n"_s);
    window->FileOpenAccept(first);
    EXPECT_EQ(readFile(legacy), QByteArray("\x93\xfa\x96\x7b\r\n\x8c\xea\r\n"));
}

TEST_F(Documents, RefreshWarnsWhileTheFileIsUnchangedAndReloadsAfterASave) {
    window->ActRefreshExecute();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(platform.messages.first().text, first + u"\r\nまだ、上書き更新されていません。"_s);
    EXPECT_EQ(platform.messages.first().type, MsgDlgType::Warning);

    writeFile(first, "changed\r\nby another program\r\n");
    touch(first, 5);
    window->ActRefreshExecute();
    EXPECT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(rows(), (QStringList{u"changed"_s, u"by another program"_s}));
}

// F4 with corrections pending asks: write them and read again, drop them and read again, or nothing.
TEST_F(Documents, RefreshAsksBeforeCorrectionsGo) {
    const QByteArray onDisk = readFile(first);
    const struct {
        int answer;
        QByteArray fileAfter;
        bool pendingAfter;
    } cases[] = {{mrYes, "unsaved\r\n", false}, {mrNo, onDisk, false}, {mrCancel, onDisk, true}};
    for (const auto& c : cases) {
        writeFile(first, onDisk);
        window->OpenDocument(first);
        editCorrections(u"unsaved\n"_s);
        platform.messages.clear();
        platform.answers = {c.answer};
        window->ActRefreshExecute();
        ASSERT_EQ(platform.messages.size(), 1) << c.answer;
        EXPECT_EQ(
            platform.messages.first().text,
            u"first.txt の訂正がまだ書き込まれていません。\r\n「はい」では書き込んでから読み直し、「いいえ」"
            u"では訂正を捨てて読み直します。"_s);
        EXPECT_EQ(platform.messages.first().buttons, MsgDlgButtons(mbYes | mbNo | mbCancel));
        EXPECT_EQ(readFile(first), c.fileAfter) << c.answer;
        EXPECT_EQ(window->correctionsPending(), c.pendingAfter) << c.answer;
        EXPECT_EQ(rows().join(u'\n').toUtf8() + "\r\n", c.pendingAfter ? onDisk : c.fileAfter) << c.answer;
    }
}

// A document deleted on disk stays in the list; the title marks it, F4 says it is gone, and the file
// coming back is followed again.
TEST_F(Documents, ADocumentDeletedOnDiskStaysMarkedInTheTitle) {
    const QByteArray onDisk = readFile(first);
    QFile::remove(first);
    ASSERT_TRUE(
        waitFor([this] { return window->windowTitle() == u"first.txt（見つかりません） - Kopix"_s; }));
    EXPECT_EQ(rows(), QStringList{u"first"_s});
    window->ActRefreshExecute();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(
        platform.messages.first().text,
        first +
            u"\r\nこのファイルが見つかりません。\r\nパスとファイル名が正しいかどうか確認してください。"_s);
    EXPECT_EQ(window->UsedFL().entry(0), first) << "the recent list keeps it";

    writeFile(first, onDisk);
    EXPECT_TRUE(waitFor([this] { return window->windowTitle() == u"first.txt - Kopix"_s; }));
}

TEST_F(Documents, ReopeningTheDocumentOnDisplayScrollsToTheTopRowOnceItIsLaidOut) {
    QByteArray lines;
    for (int i = 0; i < 300; ++i)
        lines += "line " + QByteArray::number(i) + "\r\n";
    writeFile(first, lines);
    window->OpenDocument(first);
    QCoreApplication::processEvents();
    window->LBox->verticalScrollBar()->setValue(250);
    window->TopI = 120;
    writeFile(first, lines.first(lines.indexOf("line 130\r\n")));
    touch(first, 5);
    window->ActRefreshExecute();
    QCoreApplication::processEvents();
    ASSERT_EQ(rows().size(), 130);
    EXPECT_EQ(window->LBox->indexAt(QPoint(0, 0)).row(),
              std::min(120, window->LBox->verticalScrollBar()->maximum()));
    EXPECT_GT(window->LBox->verticalScrollBar()->maximum(), 100);
}

TEST_F(Documents, UnreadableFileShowsTheReasonAndKeepsTheDisplay) {
    // Reading this file always fails with an I/O error, whoever runs the test.
    window->OpenDocument(u"/proc/self/mem"_s);
    ASSERT_EQ(platform.messages.size(), 1);
    const MessageRequest& error = platform.messages.first();
    EXPECT_TRUE(error.text.startsWith(u"mem ファイルが読めません。\r\n"_s)) << error.text.toStdString();
    EXPECT_GT(error.text.size(), u"mem ファイルが読めません。\r\n"_s.size()) << "the system's reason follows";
    EXPECT_FALSE(error.text.endsWith(u'.'));
    EXPECT_EQ(error.type, MsgDlgType::Error);
    EXPECT_EQ(error.buttons, MsgDlgButtons(mbOK | mbHelp));
    EXPECT_EQ(rows(), (QStringList{u"first"_s}));
    EXPECT_EQ(window->UsedFL().entry(0), first);
}

TEST_F(Documents, MessagesArePlacedOverTheWindow) {
    window->move(400, 300);
    window->OpenDocument(inProgramDir(u"nothing.txt"_s));
    ASSERT_EQ(platform.messages.size(), 1);
    const MessageBoxPlace expected = messageBoxPlace(window->frameGeometry());
    EXPECT_EQ(platform.messages.first().place.x, expected.x);
    EXPECT_EQ(platform.messages.first().place.y, expected.y);
    EXPECT_EQ(*platform.messages.first().place.x, 400 + window->frameGeometry().width() / 2 - 170);
}

TEST_F(Documents, DropOpensOnlyTheFirstTextFile) {
    const QString a = writeFile(u"A.TXT"_s, "upper case extension\r\n");
    const QString b = writeFile(u"b.txt"_s, "second dropped\r\n");
    // Kopix only reads the file: the drop is a copy whatever the dragging program proposes (a move would
    // tell a file manager that the file went elsewhere).
    ASSERT_EQ(Qt::CopyAction, dropFiles({a, b}));
    EXPECT_EQ(rows(), (QStringList{u"upper case extension"_s}));

    const QString csv = writeFile(u"c.csv"_s, "x,y\r\n");
    dropFiles({csv, b});
    EXPECT_EQ(rows(), (QStringList{u"upper case extension"_s})) << "a non-text first file is ignored";
    EXPECT_TRUE(platform.messages.isEmpty());
}

// The program that dragged waits for the drop to be taken; a question or a message shown inside the drop
// would keep it waiting (and its drag on the screen) until the user answers.
TEST_F(Documents, TheDropReturnsBeforeTheFileIsOpenedOrAnythingSaid) {
    QDir(programDir()).mkdir(u"d.txt"_s);
    ASSERT_EQ(Qt::CopyAction,
              dropFiles({inProgramDir(u"d.txt"_s)}, [this] { EXPECT_TRUE(platform.messages.isEmpty()); }));
    EXPECT_EQ(platform.messages.size(), 1) << "the read failure, after the drop";
    const QString good = writeFile(u"good.txt"_s, "good\r\n");
    ASSERT_EQ(Qt::CopyAction, dropFiles({good}, [this] { EXPECT_EQ(rows(), (QStringList{u"first"_s})); }));
    EXPECT_EQ(rows(), (QStringList{u"good"_s}));
}

// A drag whose source offers only a move (XdndActionMove alone) reaches the window as such: over the list
// it is taken, and answered as a copy, as a move with a copy on offer already is; elsewhere it is not.
TEST_F(Documents, ADropOfferingOnlyAMoveIsTakenAsACopy) {
    const QString doc = writeFile(u"moved.txt"_s, "only move offered\r\n");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(doc)});
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QWindow* native = window->windowHandle();
    ASSERT_NE(native, nullptr);
    const auto onWindow = [this](const QWidget* widget) {
        return widget->mapTo(window.get(), widget->rect().center());
    };
    // Over the tool bar: not the list's.
    QDragEnterEvent aside(onWindow(window->ToolBar1), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(native, &aside);
    EXPECT_FALSE(aside.isAccepted() && aside.dropAction() == Qt::CopyAction);

    const QPoint at = onWindow(window->LBox->viewport());
    QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(native, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDragMoveEvent move(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(native, &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(move.dropAction(), Qt::CopyAction);
    QDropEvent drop(QPointF(at), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(native, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << "the source is told the file was copied";
    QCoreApplication::processEvents();
    EXPECT_EQ(rows(), (QStringList{u"only move offered"_s}));
    EXPECT_TRUE(QFile::exists(doc));
}

TEST_F(Documents, DroppedLongPathIsUsedWhole) {
    QString deep = programDir();
    while (deep.size() < 400)
        deep += u"/a_rather_long_folder_name"_s;
    const QString doc = writeFile(deep + u"/deep.txt"_s, "deep\r\n");
    ASSERT_EQ(Qt::CopyAction, dropFiles({doc}));
    EXPECT_EQ(rows(), (QStringList{u"deep"_s}));
    EXPECT_EQ(window->UsedFL().entry(0), doc);
}

TEST_F(Documents, BadlyEncodedUtf8IsShownWithReplacementCharacters) {
    const QString broken = writeFile(u"broken.txt"_s, "\xEF\xBB\xBFok\r\nbad \xFF byte\r\n");
    window->OpenDocument(broken);
    EXPECT_EQ(rows(), (QStringList{u"ok"_s, u"bad \uFFFD byte"_s}));
    EXPECT_FALSE(window->displayedDocumentDecodedCleanly());
}

TEST_F(Documents, EditorIsFilledWhenFirstNeededAndNotModified) {
    const QString doc = writeFile(u"two.txt"_s, "a\nb");
    window->OpenDocument(doc);
    EXPECT_EQ(window->correctionEditor()->text(), u"a\r\nb\r\n"_s);
    EXPECT_FALSE(window->correctionsPending());
}

// The path the user opened is followed, whatever comes and goes on the way to it: the folder moved away and
// made again, the target of a link deleted and written anew. Each time the file is there again, it shows.
struct Upheaval {
    const char* name;
    QString (*make)(const QString& root);  // makes the document, returns the path to open
    void (*takeAway)(const QString& root); // the file goes
    void (*writeAnew)(const QString& root, const QByteArray& text); // and comes back
};

void writeAt(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

class FollowingThePath : public KopixFixture, public ::testing::WithParamInterface<Upheaval> {};

TEST_P(FollowingThePath, ResumesAsSoonAsTheFileIsThereAgain) {
    writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
    start(GetParam().make(programDir()));
    ASSERT_EQ(rows(), QStringList{u"first"_s});
    for (const QByteArray& text : {QByteArray("second\r\n"), QByteArray("third\r\n")}) {
        GetParam().takeAway(programDir());
        ASSERT_TRUE(waitFor([this] { return window->windowTitle().contains(u"見つかりません"_s); }, 3000));
        GetParam().writeAnew(programDir(), text);
        const QString row = QString::fromLatin1(text.trimmed());
        EXPECT_TRUE(waitFor([&] { return rows() == QStringList{row}; }, 3000))
            << rows().join(u'|').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Upheavals, FollowingThePath,
    ::testing::Values(Upheaval{"FolderReplaced",
                               [](const QString& root) -> QString {
                                   writeAt(root + u"/notes/doc.txt"_s, "first\r\n");
                                   return root + u"/notes/doc.txt"_s;
                               },
                               [](const QString& root) {
                                   QDir(root + u"/old"_s).removeRecursively();
                                   QDir().rename(root + u"/notes"_s, root + u"/old"_s);
                               },
                               [](const QString& root, const QByteArray& text) {
                                   writeAt(root + u"/notes/doc.txt"_s, text);
                               }},
                      Upheaval{"LinkTargetMadeAgain",
                               [](const QString& root) -> QString {
                                   writeAt(root + u"/real/doc.txt"_s, "first\r\n");
                                   QDir().mkpath(root + u"/links"_s);
                                   QFile::link(root + u"/real/doc.txt"_s, root + u"/links/doc.txt"_s);
                                   return root + u"/links/doc.txt"_s;
                               },
                               [](const QString& root) { QFile::remove(root + u"/real/doc.txt"_s); },
                               [](const QString& root, const QByteArray& text) {
                                   writeAt(root + u"/real/doc.txt"_s, text);
                               }}),
    [](const auto& info) { return std::string(info.param.name); });

// A name that is not UTF-8 (Shift_JIS from a Japanese archive): opened by its bytes, shown with
// replacement characters, followed on disk, and remembered for the next start.
class DocumentNames : public KopixFixture {};

TEST_F(DocumentNames, ANameThatIsNotUtf8IsOpenedFollowedAndRemembered) {
    const QByteArray name = pathBytes(programDir()) + "/\x83\x65\x83\x58\x83\x67.txt";
    const auto writeBytes = [&name](const QByteArray& text) {
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, text.constData(), size_t(text.size())), ssize_t(text.size()));
        ::close(fd);
    };
    writeBytes("first\r\n");
    writeFile(u"Kopix.ini"_s, "[LB]\r\nTI=0\r\n");
    start(pathFromBytes(name));
    EXPECT_EQ(rows(), QStringList{u"first"_s});
    EXPECT_EQ(window->windowTitle(), u"\uFFFDe\uFFFDX\uFFFDg.txt - Kopix"_s);
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.first().text.toStdString();
    writeBytes("second\r\n");
    EXPECT_TRUE(waitFor([this] { return rows() == QStringList{u"second"_s}; }, 3000));
    ASSERT_TRUE(closeAndDestroy());
    EXPECT_TRUE(readFile(u"Kopix.ini"_s).contains("\r\nF0=file://")) << readFile(u"Kopix.ini"_s).constData();
    // The next start shows it again, from the settings file.
    start();
    EXPECT_EQ(rows(), QStringList{u"second"_s});
    EXPECT_EQ(pathBytes(window->UsedFL().entry(0)), name);
}

} // namespace
