// What users feed Kopix that is not what it expects: for each, the message it shows (or that it shows
// none), that it comes back at all (nothing waits forever), and that the input's bytes are the same
// afterwards, Kopix closed and its settings written.
#include "support/KopixFixture.h"
#include "support/UserFileAccess.h"

#include "core/FileSystem.h"
#include "core/SystemErrorText.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/StatusPanel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <functional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

using namespace kopix;
using namespace kopix::test;
using namespace Qt::StringLiterals;

namespace {

// Bytes that are no text: a picture's header, then noise with NULs in it.
QByteArray binaryData(qsizetype size) {
    QByteArray bytes("\x89PNG\r\n\x1A\n", 8);
    QRandomGenerator noise(20261209);
    while (bytes.size() < size)
        bytes += char(noise.bounded(256));
    return bytes;
}

QByteArray repeated(const QByteArray& piece, qsizetype times) {
    QByteArray bytes;
    bytes.reserve(piece.size() * times);
    for (qsizetype i = 0; i < times; ++i)
        bytes += piece;
    return bytes;
}

class BadInput : public KopixFixture {
public:
    using KopixFixture::inProgramDir;
    using KopixFixture::platform;
    using KopixFixture::programDir;
    using KopixFixture::writeFile;
    QString error(qsizetype index = 0) const {
        return index < platform.messages.size() ? platform.messages[index].text : QString();
    }
};

// A document that is one of these.
struct DocumentCase {
    const char* name;
    // Makes the input in the program folder and returns the path to open.
    std::function<QString(BadInput&)> make;
    // The start of the message shown for it, or nothing when none is expected, and its end: a text, or
    // the system's for an error number (made when the test runs, in the program's language).
    QString messageStart;
    std::variant<QString, int> messageEnd;
    // What the list then holds: its row count, and its first row (where there is one).
    qsizetype rowCount;
    QString firstRow;
    // The note the status bar shows for a document without a single row.
    QString note = {};
};

// The placeholder Kopix shows when there is no document to show: three rows.
constexpr qsizetype Placeholder = 3;

class BadDocument : public BadInput, public ::testing::WithParamInterface<DocumentCase> {};

TEST_P(BadDocument, GetsItsMessageAndIsLeftAsItWas) {
    const DocumentCase& c = GetParam();
    const QString path = c.make(*this);
    const bool regular = QFileInfo(path).isFile() && !QFileInfo(path).isSymLink();
    const QByteArray before = regular ? readFile(path) : QByteArray();
    {
        // Permissions count for the program as for any user.
        UserFileAccess asUser;
        start(path);
    }
    if (c.messageStart.isEmpty()) {
        EXPECT_TRUE(platform.messages.isEmpty()) << error().toStdString();
    } else {
        ASSERT_EQ(platform.messages.size(), 1) << error(1).toStdString();
        EXPECT_TRUE(error().startsWith(c.messageStart)) << error().toStdString();
        const QString end = std::holds_alternative<int>(c.messageEnd)
                                ? systemErrorText(std::get<int>(c.messageEnd))
                                : std::get<QString>(c.messageEnd);
        EXPECT_TRUE(error().endsWith(end)) << error().toStdString() << "\n" << end.toStdString();
        EXPECT_EQ(platform.messages.first().type, MsgDlgType::Error);
    }
    if (c.rowCount >= 0) {
        ASSERT_EQ(window->lines().count(), c.rowCount);
    }
    if (c.rowCount > 0 && !c.firstRow.isNull()) {
        EXPECT_EQ(window->lines().line(0).toString(), c.firstRow);
    }
    if (!c.note.isEmpty()) {
        EXPECT_EQ(window->SBarPanels[1]->shownText(), c.note);
    }
    ASSERT_TRUE(closeAndDestroy());
    EXPECT_TRUE(platform.errorBoxes.isEmpty()) << platform.errorBoxes.join(u'\n').toStdString();
    if (regular) {
        EXPECT_TRUE(readFile(path) == before) << "the document's bytes changed";
    }
    if (c.messageStart.isEmpty() && c.rowCount != Placeholder) {
        // The settings hold its path, and the next start without an argument brings it back.
        start();
        EXPECT_EQ(window->UsedFL().entry(0), path);
        if (c.rowCount >= 0) {
            EXPECT_EQ(window->lines().count(), c.rowCount);
        }
    }
}

QString inFolder(BadInput& t, const QString& name, const QByteArray& bytes) {
    return t.writeFile(name, bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, BadDocument,
    ::testing::Values(
        DocumentCase{"BinaryDataNamedTxt",
                     [](BadInput& t) { return inFolder(t, u"picture.txt"_s, binaryData(64 * 1024)); },
                     {},
                     {},
                     // The text ends at the first NUL.
                     -1,
                     {}},
        DocumentCase{
            "NulsInside",
            [](BadInput& t) { return inFolder(t, u"nul.txt"_s, QByteArray("ab\0cd\r\nef\r\n", 11)); },
            {},
            {},
            1,
            u"ab"_s},
        DocumentCase{"InvalidUtf8",
                     [](BadInput& t) { return inFolder(t, u"bad.txt"_s, "caf\xC3(\r\n\xFF\r\n"); },
                     {},
                     {},
                     2,
                     {}},
        DocumentCase{"Utf16WithAnOddByteCount",
                     [](BadInput& t) {
                         return inFolder(t, u"odd.txt"_s,
                                         QByteArray("\xFF\xFE"
                                                    "a\0b",
                                                    5));
                     },
                     {},
                     {},
                     1,
                     u"a\uFFFD"_s},
        DocumentCase{"Utf8SignatureAlone",
                     [](BadInput& t) { return inFolder(t, u"sig.txt"_s, "\xEF\xBB\xBF"); },
                     {},
                     {},
                     Placeholder,
                     {},
                     u"sig.txt は空です"_s},
        DocumentCase{"NulFirst",
                     [](BadInput& t) { return inFolder(t, u"nul0.txt"_s, QByteArray("\0text\r\n", 7)); },
                     {},
                     {},
                     Placeholder,
                     {},
                     u"nul0.txt は NUL 文字で始まるため、表示できる行がありません"_s},
        DocumentCase{"Utf16SignatureAlone",
                     [](BadInput& t) { return inFolder(t, u"sig16.txt"_s, "\xFF\xFE"); },
                     {},
                     {},
                     Placeholder,
                     {}},
        DocumentCase{
            "FiftyMegabyteLine",
            [](BadInput& t) { return inFolder(t, u"long.txt"_s, QByteArray(50 * 1000 * 1000, 'x')); },
            {},
            {},
            1,
            {}},
        DocumentCase{"TenMillionShortLines",
                     [](BadInput& t) { return inFolder(t, u"many.txt"_s, repeated("7\r\n", 10'000'000)); },
                     {},
                     {},
                     10'000'000,
                     u"7"_s},
        DocumentCase{"NamedPipe",
                     [](BadInput& t) {
                         const QString path = t.inProgramDir(u"pipe.txt"_s);
                         EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
                         return path;
                     },
                     u"pipe.txt ファイルが読めません。\r\n"_s,
                     u"名前付きパイプ（FIFO）であり、通常のファイルではありません"_s,
                     Placeholder,
                     {}},
        DocumentCase{"Device",
                     [](BadInput& t) {
                         const QString path = t.inProgramDir(u"zero.txt"_s);
                         EXPECT_EQ(::symlink("/dev/zero", QFile::encodeName(path).constData()), 0);
                         return path;
                     },
                     u"zero.txt ファイルが読めません。\r\n"_s,
                     u"デバイスであり、通常のファイルではありません"_s,
                     Placeholder,
                     {}},
        DocumentCase{"FolderNamedTxt",
                     [](BadInput& t) {
                         QDir(t.programDir()).mkdir(u"x.txt"_s);
                         return t.inProgramDir(u"x.txt"_s);
                     },
                     u"x.txt ファイルが読めません。\r\n"_s,
                     u"フォルダーであり、ファイルではありません"_s,
                     Placeholder,
                     {}},
        DocumentCase{"Unreadable",
                     [](BadInput& t) {
                         const QString path = inFolder(t, u"secret.txt"_s, "secret\r\n");
                         QFile::setPermissions(path, QFileDevice::Permissions());
                         return path;
                     },
                     u"secret.txt ファイルが読めません。\r\n"_s,
                     EACCES,
                     Placeholder,
                     {}},
        DocumentCase{
            "JapanesePathWithSpaces",
            [](BadInput& t) { return inFolder(t, u"日本語 の フォルダ/メモ 帳.txt"_s, "住所 1\r\n"); },
            {},
            {},
            1,
            u"住所 1"_s},
        DocumentCase{"FourThousandCharacterPath",
                     [](BadInput& t) {
                         QString relative;
                         while (t.inProgramDir(relative).size() < 4000 - 210)
                             relative += QString(200, u'd') + u'/';
                         relative += QString(4000 - t.inProgramDir(relative).size() - 4, u'f') + u".txt"_s;
                         const QString path = inFolder(t, relative, "deep\r\n");
                         EXPECT_EQ(path.size(), 4000);
                         return path;
                     },
                     {},
                     {},
                     1,
                     u"deep"_s}),
    [](const auto& info) { return std::string(info.param.name); });

// A settings file that is one of these, or a program folder that cannot take a new one at exit (the
// file itself is then written in place).
struct SettingsCase {
    const char* name;
    // Writes the settings file (and whatever else the case needs) before the start.
    std::function<void(BadInput&)> arrange;
    // Checks the window once started.
    std::function<void(BadInput&, TfC&)> started;
    // Just before the close, what stands in the way of writing.
    std::function<void(BadInput&)> beforeClose;
    // The end of the error box at exit: our reason, or the system's for an error number; nothing when no
    // box is expected.
    std::variant<QString, int> exitErrorEnd;
    // What the settings file holds after the exit, given what it held before.
    enum class Kept { Bytes, Prefix, Rewritten };
    Kept kept;
};

class BadSettings : public BadInput, public ::testing::WithParamInterface<SettingsCase> {
protected:
    void TearDown() override {
        QFile::setPermissions(programDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        BadInput::TearDown();
        if (m_mounted)
            ::umount2(QFile::encodeName(programDir()).constData(), MNT_DETACH);
    }

public:
    // The program folder on a file system of its own, 256 KiB large; false where mounting is not allowed.
    bool onSmallFileSystem() {
        m_mounted =
            ::mount("tmpfs", QFile::encodeName(programDir()).constData(), "tmpfs", 0, "size=256k") == 0;
        return m_mounted;
    }

private:
    bool m_mounted = false;
};

TEST_P(BadSettings, StartsWithWhatCanBeUsedAndNeverLosesTheFile) {
    const SettingsCase& c = GetParam();
    if (std::string(c.name) == "DiskFullAtExit" && !onSmallFileSystem())
        GTEST_SKIP() << "mounting a small tmpfs is not allowed here, so a full disk cannot be made";
    const QString doc = writeFile(u"doc.txt"_s, "doc\r\n");
    c.arrange(*this);
    const QString ini = inProgramDir(u"Kopix.ini"_s);
    const QByteArray before = readFile(ini);
    {
        UserFileAccess asUser;
        start(doc);
    }
    EXPECT_TRUE(platform.messages.isEmpty()) << error().toStdString();
    EXPECT_EQ(window->lines().line(0).toString(), u"doc"_s);
    if (c.started)
        c.started(*this, *window);
    if (c.beforeClose)
        c.beforeClose(*this);
    {
        UserFileAccess asUser;
        ASSERT_TRUE(closeAndDestroy());
    }
    const QString exitError = std::holds_alternative<int>(c.exitErrorEnd)
                                  ? systemErrorText(std::get<int>(c.exitErrorEnd))
                                  : std::get<QString>(c.exitErrorEnd);
    if (exitError.isEmpty()) {
        EXPECT_TRUE(platform.errorBoxes.isEmpty()) << platform.errorBoxes.join(u'\n').toStdString();
    } else {
        ASSERT_EQ(platform.errorBoxes.size(), 1);
        EXPECT_TRUE(platform.errorBoxes.first().contains(ini + u" に書き込めません.\r\n"_s))
            << platform.errorBoxes.first().toStdString();
        EXPECT_TRUE(platform.errorBoxes.first().endsWith(exitError))
            << platform.errorBoxes.first().toStdString() << "\n"
            << exitError.toStdString();
    }
    const QByteArray after = readFile(ini);
    switch (c.kept) {
    case SettingsCase::Kept::Bytes:
        EXPECT_TRUE(after == before) << "the settings file changed";
        break;
    case SettingsCase::Kept::Prefix:
        EXPECT_TRUE(after.startsWith(before)) << "what Kopix does not own stays";
        break;
    case SettingsCase::Kept::Rewritten:
        // Kopix's own values, written over with what it used.
        EXPECT_TRUE(after.contains("\r\nFS=11\r\n")) << after.constData();
        EXPECT_FALSE(after.contains("99999999")) << after.constData();
        break;
    }
    EXPECT_TRUE(QDir(programDir()).entryList({u"*.tmp"_s, u".*"_s}, QDir::Files | QDir::Hidden).isEmpty())
        << "no temporary file is left";
}

QByteArray outOfRange() {
    return "[fC]\r\nA_W=99999999\r\nA_H=-5\r\nA_L=-2147483648\r\nA_T=4294967296\r\n"
           "[LB]\r\nTI=-7\r\nFS=1000\r\nS1=99\r\nC1=zz\r\nK1=\r\n[FL]\r\nF0=\r\nF1=relative.txt\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, BadSettings,
    ::testing::Values(SettingsCase{"BinaryGarbage",
                                   [](BadInput& t) { t.writeFile(u"Kopix.ini"_s, binaryData(64 * 1024)); },
                                   [](BadInput&, TfC& w) { EXPECT_EQ(w.LBox->font().pointSize(), 11); },
                                   {},
                                   {},
                                   SettingsCase::Kept::Prefix},
                      SettingsCase{
                          "TenMegabytes",
                          [](BadInput& t) {
                              t.writeFile(u"Kopix.ini"_s,
                                          "[LB]\r\nFS=13\r\n" + repeated("; comment\r\n", 1'000'000));
                          },
                          [](BadInput&, TfC& w) { EXPECT_EQ(w.LBox->font().pointSize(), 11) << "not read"; },
                          {},
                          u"ファイルが大きすぎます（10.5 MiB。読めるのは 4 MiB まで）"_s,
                          SettingsCase::Kept::Bytes},
                      SettingsCase{"HundredThousandSections",
                                   [](BadInput& t) {
                                       QByteArray bytes;
                                       for (int i = 0; i < 100'000; ++i)
                                           bytes += "[S" + QByteArray::number(i) + "]\r\nk=v\r\n";
                                       t.writeFile(u"Kopix.ini"_s, bytes + "[LB]\r\nFS=13\r\n");
                                   },
                                   [](BadInput&, TfC& w) { EXPECT_EQ(w.LBox->font().pointSize(), 13); },
                                   {},
                                   {},
                                   SettingsCase::Kept::Prefix},
                      SettingsCase{"OutOfRangeValues",
                                   [](BadInput& t) { t.writeFile(u"Kopix.ini"_s, outOfRange()); },
                                   [](BadInput& t, TfC& w) {
                                       EXPECT_EQ(w.LBox->font().pointSize(), 11);
                                       EXPECT_TRUE(t.platform.workArea.contains(w.frameGeometry()));
                                   },
                                   {},
                                   {},
                                   SettingsCase::Kept::Rewritten},
                      SettingsCase{"ReadOnlyProgramFolderAtExit",
                                   [](BadInput& t) { t.writeFile(u"Kopix.ini"_s, "[LB]\r\nFS=12\r\n"); },
                                   [](BadInput&, TfC& w) { EXPECT_EQ(w.LBox->font().pointSize(), 12); },
                                   [](BadInput& t) {
                                       QFile::setPermissions(t.programDir(),
                                                             QFile::ReadOwner | QFile::ExeOwner);
                                   },
                                   {},
                                   SettingsCase::Kept::Prefix},
                      SettingsCase{"DiskFullAtExit",
                                   [](BadInput& t) { t.writeFile(u"Kopix.ini"_s, "[LB]\r\nFS=12\r\n"); },
                                   {},
                                   [](BadInput& t) {
                                       // Everything that is left, taken.
                                       QFile filler(t.inProgramDir(u"filler"_s));
                                       ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
                                       const QByteArray block(4096, 'f');
                                       while (filler.write(block) == block.size() && filler.flush()) {
                                       }
                                   },
                                   ENOSPC,
                                   SettingsCase::Kept::Bytes}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
