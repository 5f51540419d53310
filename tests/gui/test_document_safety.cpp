// What must never happen to the user's document: corrections lost at a question, bytes that could not be
// read replaced without asking, a start that hangs on something that is no file.
#include "support/KopixFixture.h"

#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

class DocumentSafety : public KopixFixture {
public:
    using KopixFixture::dropFiles;
    QString makeFifo(const QString& name) {
        const QString path = inProgramDir(name);
        EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        return path;
    }
    QAction* action(const QString& name) const { return window->findChild<QAction*>(name); }
};

// The ways a pending correction meets the question "… には読めなかった文字があります。": closing, the open
// dialog, a recent file, a dropped file. Each returns whether the document on display went away.
struct SavePoint {
    const char* name;
    std::function<bool(DocumentSafety&, TfC&, const QString& other)> leave;
};

class LossyDocument : public DocumentSafety, public ::testing::WithParamInterface<SavePoint> {};

TEST_P(LossyDocument, OnlyAnExplicitOkWritesAndAnyOtherAnswerKeepsTheCorrections) {
    // CP932 without a signature; E9 20 is no character, so the space after it is lost in the reading too.
    const QByteArray original = "caf\xE9 ok\r\n";
    const QString doc = writeFile(u"legacy.txt"_s, original);
    const QString other = writeFile(u"other.txt"_s, "other\r\n");
    writeFile(u"Kopix.ini"_s, "[FL]\r\nFD=" + programDir().toUtf8() + "\r\nF0=" + other.toUtf8() + "\r\n");
    start(doc);
    ASSERT_EQ(rows(), (QStringList{u"caf\u30FBok"_s}));
    ASSERT_FALSE(window->displayedDocumentDecodedCleanly()) << "a legacy decode that met invalid bytes";
    // The line that did not read cleanly is changed, so its bytes cannot be kept.
    editCorrections(u"caf\u30FBok!\nnew line\n"_s);

    for (const int answer : {int(mrIgnore), int(mrNone)}) {
        platform.messages.clear();
        platform.answers = {answer};
        EXPECT_FALSE(GetParam().leave(*this, *window, other)) << "answer " << answer;
        ASSERT_EQ(platform.messages.size(), 1) << "answer " << answer;
        EXPECT_TRUE(
            platform.messages.first().text.startsWith(u"legacy.txt には読めなかった文字があります。"_s));
        EXPECT_EQ(platform.messages.first().buttons, MsgDlgButtons(mbOK | mbIgnore));
        EXPECT_EQ(readFile(doc), original) << "answer " << answer;
        EXPECT_TRUE(window->correctionsPending()) << "answer " << answer;
        EXPECT_EQ(rows(), (QStringList{u"caf\u30FBok"_s})) << "the document stays on display";
        EXPECT_TRUE(window->isVisible());
    }

    platform.answers = {mrOk};
    EXPECT_TRUE(GetParam().leave(*this, *window, other));
    EXPECT_EQ(readFile(doc), QByteArray("caf\x81\x45ok!\r\nnew line\r\n")) << "written, as the user chose";
}

INSTANTIATE_TEST_SUITE_P(SavePoints, LossyDocument,
                         ::testing::Values(SavePoint{"close", [](DocumentSafety&, TfC& w,
                                                                 const QString&) { return w.close(); }},
                                           SavePoint{"open_dialog",
                                                     [](DocumentSafety&, TfC& w, const QString& other) {
                                                         w.FileOpenAccept(other);
                                                         return w.displayedDocumentPath() == other;
                                                     }},
                                           SavePoint{"recent_file",
                                                     [](DocumentSafety& t, TfC& w, const QString& other) {
                                                         t.action(u"ActF1"_s)->trigger();
                                                         return w.displayedDocumentPath() == other;
                                                     }},
                                           SavePoint{"drop",
                                                     [](DocumentSafety& t, TfC& w, const QString& other) {
                                                         t.dropFiles({other});
                                                         return w.displayedDocumentPath() == other;
                                                     }}),
                         [](const auto& info) { return std::string(info.param.name); });

// Lines the user did not touch keep their bytes exactly, also bytes that did not decode, so no question
// is needed for a correction elsewhere in the file.
TEST_F(DocumentSafety, UntouchedLinesKeepTheirExactBytes) {
    // Invalid bytes, a character with two codes in CP932 (EEEF and FA40 are both ⅰ), a plain line.
    const QByteArray original = "caf\xE9 ok\r\n\xEE\xEF\r\nplain\r\n";
    const QString doc = writeFile(u"legacy.txt"_s, original);
    start(doc);
    editCorrections(u"caf\u30FBok\n\u2170\nplain, corrected\n"_s);
    ASSERT_TRUE(window->close());
    EXPECT_TRUE(platform.messages.isEmpty()) << "nothing that could not be read is lost";
    EXPECT_EQ(readFile(doc), QByteArray("caf\xE9 ok\r\n\xEE\xEF\r\nplain, corrected\r\n"));
}

// What the list never showed, and what the editor cannot hold, stays as it was when the user corrects
// another line in the editor: the bytes after a NUL, a UTF-16 line with half a surrogate pair.
TEST_F(DocumentSafety, ACorrectionElsewhereKeepsHiddenAndUnholdableBytes) {
    const struct {
        const char* name;
        QByteArray original;
        int line; // where "X" is typed
        QByteArray expected;
    } cases[] = {
        {"nul", QByteArray("line1\r\nline2 before\0after\r\nline3\r\n", 30), 0,
         QByteArray("Xline1\r\nline2 before\0after\r\nline3\r\n", 31)},
        {"lone_surrogate",
         QByteArray("\xFF\xFE"
                    "a\0\r\0\n\0\x00\xD8x\0\r\0\n\0c\0\r\0\n\0",
                    20),
         2,
         QByteArray("\xFF\xFE"
                    "a\0\r\0\n\0\x00\xD8x\0\r\0\n\0X\0c\0\r\0\n\0",
                    24)},
    };
    for (const auto& c : cases) {
        const QString doc = writeFile(QString::fromLatin1(c.name) + u".txt"_s, c.original);
        start(doc);
        window->correctionEditor()->insertAt(u"X"_s, c.line, 0);
        ASSERT_TRUE(window->correctionsPending()) << c.name;
        ASSERT_TRUE(closeAndDestroy()) << c.name;
        EXPECT_TRUE(platform.messages.isEmpty())
            << c.name << ": " << platform.messages.value(0).text.toStdString();
        EXPECT_EQ(readFile(doc), c.expected) << c.name;
        platform.messages.clear();
    }
}

TEST_F(DocumentSafety, PendingCorrectionsAreSavedBeforeARecentFileOrADropReplacesThem) {
    const QString doc = writeFile(u"doc.txt"_s, "old\r\n");
    const QString other = writeFile(u"other.txt"_s, "other\r\n");
    start(other);
    window->OpenDocument(doc);
    editCorrections(u"corrected\n"_s);
    action(u"ActF1"_s)->trigger();
    EXPECT_EQ(readFile(doc), QByteArray("corrected\r\n"));
    EXPECT_EQ(rows(), (QStringList{u"other"_s}));

    editCorrections(u"other, corrected\n"_s);
    dropFiles({doc});
    EXPECT_EQ(readFile(other), QByteArray("other, corrected\r\n"));
    EXPECT_EQ(rows(), (QStringList{u"corrected"_s}));
}

TEST_F(DocumentSafety, ThingsThatAreNoFileGetTheReadFailureFromEveryWayOfOpening) {
    const QString pipe = makeFifo(u"pipe.txt"_s);
    const QString doc = writeFile(u"doc.txt"_s, "doc\r\n");
    QDir(programDir()).mkdir(u"d.txt"_s);
    const QString folder = inProgramDir(u"d.txt"_s);
    // The pipe is the last document and a recent one; it is also the command-line argument.
    writeFile(u"Kopix.ini"_s, "[FL]\r\nFD=" + programDir().toUtf8() + "\r\nF0=" + pipe.toUtf8() +
                                  "\r\nF1=" + doc.toUtf8() + "\r\n");
    start(pipe);
    const auto failures = [this](const QString& name) {
        return std::count_if(platform.messages.cbegin(), platform.messages.cend(),
                             [&](const MessageRequest& m) {
                                 return m.type == MsgDlgType::Error &&
                                        m.text.startsWith(name + u" ファイルが読めません。\r\n");
                             });
    };
    EXPECT_EQ(failures(u"pipe.txt"_s), 2) << "the argument, then the last document";
    EXPECT_TRUE(platform.messages.first().text.endsWith(
        u"名前付きパイプ（FIFO）であり、通常のファイルではありません"_s));
    EXPECT_EQ(rows().size(), 3) << "the placeholder";

    window->OpenDocument(doc);
    ASSERT_EQ(rows(), (QStringList{u"doc"_s}));
    platform.messages.clear();
    window->FileOpenAccept(pipe);
    dropFiles({folder});
    action(u"ActF1"_s)->trigger(); // the pipe, now second
    EXPECT_EQ(failures(u"pipe.txt"_s), 2);
    EXPECT_EQ(failures(u"d.txt"_s), 1) << "a folder is there, so it is not 'not found'";
    EXPECT_TRUE(platform.messages[1].text.endsWith(u"フォルダーであり、ファイルではありません"_s));

    // The document itself swapped for a pipe by another program: F4 says so rather than hang.
    QFile::remove(doc);
    ASSERT_EQ(::mkfifo(QFile::encodeName(doc).constData(), 0600), 0);
    platform.messages.clear();
    window->ActRefreshExecute();
    EXPECT_EQ(failures(u"doc.txt"_s), 1);
    EXPECT_EQ(rows(), (QStringList{u"doc"_s})) << "the display stays";
    EXPECT_EQ(window->UsedFL().entry(0), doc);
}

TEST_F(DocumentSafety, ASettingsFileThatNeverEndsIsNotReadAndNotReplaced) {
    const QString ini = inProgramDir(u"Kopix.ini"_s);
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(ini).constData()), 0);
    start(writeFile(u"doc.txt"_s, "doc\r\n"));
    EXPECT_EQ(rows(), (QStringList{u"doc"_s}));
    ASSERT_TRUE(closeAndDestroy());
    ASSERT_EQ(platform.errorBoxes.size(), 1);
    EXPECT_EQ(platform.errorBoxes.first(),
              u"doc.txt - Kopix|"_s + ini +
                  u" に書き込めません.\r\nデバイスであり、通常のファイルではありません"_s);
    EXPECT_TRUE(QFileInfo(ini).isSymLink());
}

} // namespace
