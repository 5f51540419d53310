#include "core/DocumentFile.h"
#include "core/DocumentSave.h"
#include "core/FileSystem.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

const LegacyCodePage& cp932() {
    static const auto page = LegacyCodePage::cp932();
    return *page;
}

CorrectionSave plan(QStringView text, TextEncoding encoding, const std::optional<QByteArray>& original,
                    bool clean = true) {
    return planCorrectionSave(text, encoding, original, encoding, clean, cp932());
}

// A correction of the second line, in every encoding: the other lines keep their bytes, the new one is
// written in the document's encoding, the signature stays.
TEST(CorrectionSave, ExactBytesInEveryEncoding) {
    struct Case {
        const char* name;
        TextEncoding encoding;
        QByteArray original;
        QByteArray expected;
    } cases[] = {
        {"utf16le", TextEncoding::Utf16LE,
         QByteArray("\xFF\xFE"
                    "a\0\r\0\n\0b\0\r\0\n\0",
                    14),
         QByteArray("\xFF\xFE"
                    "a\0\r\0\n\0\xE5\x65\r\0\n\0",
                    14)},
        {"utf16be", TextEncoding::Utf16BE, QByteArray("\xFE\xFF\0a\0\r\0\n\0b\0\r\0\n", 14),
         QByteArray("\xFE\xFF\0a\0\r\0\n\x65\xE5\0\r\0\n", 14)},
        {"utf8 with signature", TextEncoding::Utf8WithSignature,
         "\xEF\xBB\xBF"
         "a\r\nb\r\n",
         "\xEF\xBB\xBF"
         "a\r\n\xE6\x97\xA5\r\n"},
        {"utf8", TextEncoding::Utf8, "a\r\nb\r\n", "a\r\n\xE6\x97\xA5\r\n"},
        {"cp932", TextEncoding::Legacy, "a\r\nb\r\n", "a\r\n\x93\xFA\r\n"},
    };
    for (const Case& c : cases) {
        const CorrectionSave save = plan(u"a\r\n日\r\n", c.encoding, c.original);
        EXPECT_EQ(save.bytes, c.expected) << c.name;
        EXPECT_EQ(save.unrepresentable, -1) << c.name;
        EXPECT_FALSE(save.losesUnreadable) << c.name;
    }
}

TEST(CorrectionSave, LinesLeftAloneKeepTheirBytesAndOnlyChangedOnesAreEncoded) {
    // ⅰ has two codes in CP932: the file's EEEF stays, a newly typed one gets the page's own FA40.
    const QByteArray original = "\xEE\xEF\r\ncaf\xE9 ok\r\nold\n";
    const CorrectionSave kept =
        plan(u"\u2170\r\ncaf\u30FBok\r\nnew\r\n\u2170\r\n", TextEncoding::Legacy, original, false);
    EXPECT_EQ(kept.bytes, QByteArray("\xEE\xEF\r\ncaf\xE9 ok\r\nnew\r\n\xFA\x40\r\n"));
    EXPECT_FALSE(kept.losesUnreadable) << "the line that did not decode is written back as it was";

    const CorrectionSave changed = plan(u"\u2170\r\ncaf\u30FBok!\r\n", TextEncoding::Legacy, original, false);
    EXPECT_EQ(changed.bytes, QByteArray("\xEE\xEF\r\ncaf\x81\x45ok!\r\n"));
    EXPECT_TRUE(changed.losesUnreadable);
    EXPECT_TRUE(plan(u"\u2170\r\n", TextEncoding::Legacy, original, false).losesUnreadable)
        << "deleting the line loses it too";
}

TEST(CorrectionSave, WithoutTheOriginalTheLoadTimeFlagCounts) {
    EXPECT_TRUE(plan(u"x", TextEncoding::Utf8, std::nullopt, false).losesUnreadable);
    const CorrectionSave clean = plan(u"x\r\ny", TextEncoding::Utf8, std::nullopt, true);
    EXPECT_FALSE(clean.losesUnreadable);
    EXPECT_EQ(clean.bytes, QByteArray("x\r\ny")) << "exactly the editor's text, no break added";
}

// What follows a NUL was never shown: it stays, unchanged, behind the row holding the NUL while the user
// leaves that row as the last one; otherwise it would go, which the user is told apart from replacements.
TEST(CorrectionSave, WhatFollowsANulStaysBehindItsRow) {
    const QByteArray utf8 = "line1\r\nline2 before\0after\r\nline3\r\n"_ba;
    struct Case {
        const char* name;
        TextEncoding encoding;
        QByteArray original;
        QString text;
        QByteArray expected;
        bool drops;
    } cases[] = {
        {"utf8", TextEncoding::Utf8, utf8, u"Xline1\r\nline2 before\r\n"_s,
         "Xline1\r\nline2 before\0after\r\nline3\r\n"_ba, false},
        {"utf16le, odd byte at the end", TextEncoding::Utf16LE,
         "\xFF\xFE"
         "a\0\r\0\n\0b\0\0\0t\0\x01"_ba,
         u"X\r\nb\r\n"_s,
         "\xFF\xFE"
         "X\0\r\0\n\0b\0\0\0t\0\x01"_ba,
         false},
        {"cp932, final break deleted", TextEncoding::Legacy, "\x93\xFA\r\n\x96\x7B\0\x82\xA0"_ba,
         u"月\r\n本"_s, "\x8C\x8E\r\n\x96\x7B\0\x82\xA0"_ba, false},
        {"nothing before the NUL, a line added", TextEncoding::Utf8, "a\r\n\0tail"_ba, u"a\r\nb\r\n"_s,
         "a\r\nb\r\n\0tail"_ba, false},
        {"its row changed", TextEncoding::Utf8, utf8, u"line1\r\nline2 after\r\n"_s,
         "line1\r\nline2 after\r\n"_ba, true},
        {"a line after its row", TextEncoding::Utf8, utf8, u"line1\r\nline2 before\r\nnew\r\n"_s,
         "line1\r\nline2 before\r\nnew\r\n"_ba, true},
    };
    for (const Case& c : cases) {
        const CorrectionSave save = plan(c.text, c.encoding, c.original);
        EXPECT_EQ(save.bytes, c.expected) << c.name;
        EXPECT_EQ(save.dropsHiddenTail, c.drops) << c.name;
        EXPECT_FALSE(save.losesUnreadable) << c.name << ": no character is replaced";
    }
}

// The editor (UTF-8 inside) cannot hold a lone surrogate of a UTF-16 file: it is filled with U+FFFD
// instead, and the line is still known as the one the user left alone.
TEST(CorrectionSave, ALoneSurrogateLineLeftAloneKeepsItsBytes) {
    const QByteArray original = "\xFF\xFE"
                                "a\0\r\0\n\0\x00\xD8x\0\r\0\n\0c\0\r\0\n\0"_ba;
    QString text = decodeDocument(original, cp932()).lines.joinedWithCrLf();
    ASSERT_EQ(text, u"a\r\n\uFFFDx\r\nc\r\n"_s);
    const CorrectionSave kept = plan(text.replace(u'c', u'C'), TextEncoding::Utf16LE, original);
    EXPECT_EQ(kept.bytes, "\xFF\xFE"
                          "a\0\r\0\n\0\x00\xD8x\0\r\0\n\0C\0\r\0\n\0"_ba);
    EXPECT_FALSE(kept.losesUnreadable);
    const CorrectionSave changed = plan(text.replace(u'x', u'y'), TextEncoding::Utf16LE, original);
    EXPECT_EQ(changed.bytes, "\xFF\xFE"
                             "a\0\r\0\n\0\xFD\xFFy\0\r\0\n\0C\0\r\0\n\0"_ba);
    EXPECT_TRUE(changed.losesUnreadable);
    // Halves of a pair on two lines are two lone surrogates there.
    EXPECT_EQ(LineStore::fromText(u"\xD83D\n\xDE00\U0001F600"_s).joinedWithCrLf(),
              u"\uFFFD\r\n\uFFFD\U0001F600\r\n"_s);
}

TEST(CorrectionSave, ACharacterThePageLacksIsFoundAndAnotherEncodingTakesIt) {
    const CorrectionSave refused = plan(u"ok\r\nあ😀\r\n", TextEncoding::Legacy, QByteArray("ok\r\n"));
    EXPECT_EQ(refused.unrepresentable, 5);
    EXPECT_TRUE(refused.bytes.isEmpty());
    // Going over to UTF-8 copies no legacy bytes; a line that did not decode cannot come along.
    const CorrectionSave utf8 = planCorrectionSave(u"ok\r\nあ😀\r\n", TextEncoding::Utf8, QByteArray("ok\r\n"),
                                                   TextEncoding::Legacy, true, cp932());
    EXPECT_EQ(utf8.bytes, QByteArray("ok\r\nあ😀\r\n"));
    EXPECT_FALSE(utf8.losesUnreadable);
    EXPECT_TRUE(planCorrectionSave(u"caf\u30FBok\r\n", TextEncoding::Utf8, QByteArray("caf\xE9 ok\r\n"),
                                   TextEncoding::Legacy, false, cp932())
                    .losesUnreadable);
}

class AtomicWrite : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QByteArray read(const QString& p) const {
        QFile file(p);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void write(const QString& p, const QByteArray& bytes) const {
        QFile file(p);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QStringList entries() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    QTemporaryDir dir;
};

TEST_F(AtomicWrite, KeepsPermissionsAndWritesThroughASymbolicLink) {
    const QString target = path(u"target.txt"_s);
    write(target, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    const QString link = path(u"link.txt"_s);
    ASSERT_EQ(::symlink("target.txt", QFile::encodeName(link).constData()), 0);
    QString error;
    ASSERT_TRUE(writeFileAtomically(link, "new", &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink()) << "the link stays a link";
    EXPECT_EQ(read(target), QByteArray("new"));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(), (QStringList{u"link.txt"_s, u"target.txt"_s}));
}

TEST_F(AtomicWrite, AFailureLeavesTheFileAndNoTemporaryFile) {
    const QString readOnly = path(u"ro.txt"_s);
    write(readOnly, "keep");
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner));
    QString error;
    EXPECT_FALSE(writeFileAtomically(readOnly, "new", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(read(readOnly), QByteArray("keep"));

    const QString folder = path(u"ro"_s);
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"ro"_s));
    write(folder + u"/doc.txt", "keep");
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const bool denied = !QFileInfo(folder).isWritable();
    if (denied) {
        EXPECT_FALSE(writeFileAtomically(folder + u"/doc.txt", "new", &error));
        EXPECT_EQ(read(folder + u"/doc.txt"), QByteArray("keep"));
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{u"doc.txt"_s});
    EXPECT_EQ(entries(), (QStringList{u"ro"_s, u"ro.txt"_s}));
}

// A recovery copy never takes the name of anything that exists, a dangling link included.
TEST_F(AtomicWrite, ARecoveryCopyGetsANameNothingHas) {
    const QDateTime when(QDate(2026, 12, 9), QTime(17, 20, 5));
    const QString first = recoveryCopyPath(dir.path(), u"/elsewhere/phrases.txt"_s, when);
    EXPECT_EQ(first, path(u"phrases (訂正 2026-12-09 17.20.05).txt"_s));
    write(first, "taken");
    const QString second = recoveryCopyPath(dir.path(), u"/elsewhere/phrases.txt"_s, when);
    EXPECT_EQ(second, path(u"phrases (訂正 2026-12-09 17.20.05 2).txt"_s));
    ASSERT_EQ(::symlink("/nonexistent/target", QFile::encodeName(second).constData()), 0);
    EXPECT_EQ(recoveryCopyPath(dir.path(), u"/elsewhere/phrases.txt"_s, when),
              path(u"phrases (訂正 2026-12-09 17.20.05 3).txt"_s));
}

// A full disk: the write fails with its reason and the old file stays whole. (Qt's QSaveFile commits a
// file whose buffered bytes never reached the disk: an empty file in place of the old one.)
TEST_F(AtomicWrite, AFullDiskLeavesTheOldFile) {
    const QString folder = path(u"small"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "mounting a small tmpfs is not allowed here";
    const QString file = folder + u"/Kopix.ini"_s;
    write(file, "[LB]\r\nFS=12\r\n");
    {
        QFile filler(folder + u"/filler"_s);
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'f')) == 4096) {
        }
    }
    QString error;
    EXPECT_FALSE(writeFileAtomically(file, QByteArray(3000, 'n'), &error));
    EXPECT_EQ(error, systemErrorText(ENOSPC));
    EXPECT_EQ(read(file), QByteArray("[LB]\r\nFS=12\r\n"));
    ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
}

} // namespace
