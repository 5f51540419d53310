#include "core/DocumentSave.h"
#include "core/FileSystem.h"
#include "core/FileWriter.h"
#include "core/SystemErrorText.h"

#include "support/QtPrinters.h"
#include "support/UserFileAccess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

QByteArray read(const QString& p) {
    QFile file(p);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class FileWriter : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    static void write(const QString& p, const QByteArray& bytes) {
        QFile file(p);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static struct stat statOf(const QString& p) {
        struct stat info {};
        EXPECT_EQ(::stat(QFile::encodeName(p).constData(), &info), 0) << p.toStdString();
        return info;
    }
    static QStringList entries(const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                      QDir::Name);
    }
    QTemporaryDir dir;
    QTemporaryDir spare; // where a copy of the old content goes when the folder cannot take it
};

// What makes a file the user's file survives a write: owner and group, permissions, the user's
// attributes, the other names of a hard link, a symbolic link. `sameFile` says whether the file
// must be the very same (written in place) rather than a new one renamed over it.
struct KeepCase {
    const char* name;
    std::function<QString(const QString& folder)> prepare; // makes the file, returns the name to write
    std::function<void(const QString& folder)> check;
    bool asUserWithoutChown = false;
    bool asUserWithoutOverride = false;
};

class Keeping : public FileWriter, public ::testing::WithParamInterface<KeepCase> {};

TEST_P(Keeping, TheFileStaysTheUsersFile) {
    const QString folder = path(u"folder"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = GetParam().prepare(folder);
    const QString doc = folder + u"/doc.txt"_s;
    const struct stat before = statOf(doc);
    QString error;
    bool written = false;
    {
        std::optional<test::UserFileAccess> asUser;
        if (GetParam().asUserWithoutChown)
            asUser.emplace(std::initializer_list<int>{CAP_CHOWN});
        if (GetParam().asUserWithoutOverride)
            asUser.emplace();
        written = writeFileSafely(target, "new content, longer than the old one\r\n", &error, spare.path());
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    ASSERT_TRUE(written) << error.toStdString();
    EXPECT_EQ(read(doc), QByteArray("new content, longer than the old one\r\n"));
    const struct stat after = statOf(doc);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    GetParam().check(folder);
    EXPECT_TRUE(entries(spare.path()).isEmpty()) << entries(spare.path()).join(u' ').toStdString();
}

QString plainDoc(const QString& folder, mode_t mode) {
    const QString doc = folder + u"/doc.txt"_s;
    QFile file(doc);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old\r\n");
    file.close();
    EXPECT_EQ(::chmod(QFile::encodeName(doc).constData(), mode), 0);
    return doc;
}

QString sharedDoc(const QString& folder) {
    const QString doc = plainDoc(folder, 0664);
    if (::geteuid() == 0) {
        EXPECT_EQ(::chown(QFile::encodeName(doc).constData(), 1234, 2345), 0);
    }
    return doc;
}

void onlyTheDocument(const QString& folder) {
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{u"doc.txt"_s});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Keeping,
    ::testing::Values(
        KeepCase{"permissions_and_symbolic_link",
                 [](const QString& folder) {
                     plainDoc(folder, 0640);
                     EXPECT_EQ(::symlink("doc.txt", QFile::encodeName(folder + u"/link.txt"_s).constData()),
                               0);
                     return folder + u"/link.txt"_s;
                 },
                 [](const QString& folder) {
                     EXPECT_TRUE(QFileInfo(folder + u"/link.txt"_s).isSymLink());
                     EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                               (QStringList{u"doc.txt"_s, u"link.txt"_s}));
                 }},
        KeepCase{"group_shared_file", sharedDoc, onlyTheDocument},
        KeepCase{"group_shared_file_without_the_right_to_give_it_away", sharedDoc, onlyTheDocument, true},
        KeepCase{"user_attribute",
                 [](const QString& folder) {
                     const QString doc = plainDoc(folder, 0644);
                     ::setxattr(QFile::encodeName(doc).constData(), "user.origin", "kopix", 5, 0);
                     return doc;
                 },
                 [](const QString& folder) {
                     char value[16] = {};
                     const ssize_t size = ::getxattr(QFile::encodeName(folder + u"/doc.txt"_s).constData(),
                                                     "user.origin", value, sizeof value);
                     if (size >= 0 || errno != ENOTSUP) {
                         EXPECT_EQ(QByteArray(value, int(size)), QByteArray("kopix"));
                     }
                 }},
        KeepCase{"hard_link",
                 [](const QString& folder) {
                     const QString doc = plainDoc(folder, 0644);
                     EXPECT_EQ(::link(QFile::encodeName(doc).constData(),
                                      QFile::encodeName(folder + u"/other name.txt"_s).constData()),
                               0);
                     return doc;
                 },
                 [](const QString& folder) {
                     EXPECT_EQ(read(folder + u"/other name.txt"_s),
                               QByteArray("new content, longer than the old one\r\n"));
                     EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                               (QStringList{u"doc.txt"_s, u"other name.txt"_s}));
                 }},
        KeepCase{"writable_file_in_a_read_only_folder",
                 [](const QString& folder) {
                     const QString doc = plainDoc(folder, 0644);
                     EXPECT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
                     return doc;
                 },
                 onlyTheDocument, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Whichever way the file is written, a failure half-way leaves the old content and no stray file, and
// gives the system's reason.
TEST_F(FileWriter, AFailureHalfWayLeavesTheOldFileWithTheReason) {
    const QByteArray old = "old content\r\n";
    const QByteArray large(64 * 1024, 'n');
    for (const bool hardLinked : {false, true}) {
        const QString folder = path(hardLinked ? u"linked"_s : u"plain"_s);
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString doc = folder + u"/doc.txt"_s;
        write(doc, old);
        if (hardLinked) {
            ASSERT_EQ(
                ::link(QFile::encodeName(doc).constData(), QFile::encodeName(folder + u"/b.txt").constData()),
                0);
        }
        // Files may not grow past 16 KiB: the write stops there, as on a full disk.
        struct rlimit saved {};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = saved;
        limited.rlim_cur = 16 * 1024;
        ::setrlimit(RLIMIT_FSIZE, &limited);
        QString error;
        const bool written = writeFileSafely(doc, large, &error, spare.path());
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        EXPECT_FALSE(written) << hardLinked;
        EXPECT_EQ(error, systemErrorText(EFBIG)) << hardLinked;
        EXPECT_EQ(read(doc), old) << hardLinked;
        EXPECT_EQ(entries(folder).size(), hardLinked ? 2 : 1) << entries(folder).join(u' ').toStdString();
    }
    EXPECT_TRUE(entries(spare.path()).isEmpty());
}

TEST_F(FileWriter, AReadOnlyFileIsNotWrittenEvenByRoot) {
    const QString doc = path(u"ro.txt"_s);
    write(doc, "keep");
    ASSERT_TRUE(QFile::setPermissions(doc, QFile::ReadOwner));
    QString error;
    EXPECT_FALSE(writeFileSafely(doc, "new", &error, spare.path()));
    EXPECT_EQ(error, systemErrorText(EACCES));
    EXPECT_EQ(read(doc), QByteArray("keep"));
    EXPECT_EQ(entries(dir.path()), QStringList{u"ro.txt"_s});
}

// A full disk: the write fails with its reason — also when the disk takes part of it first — and the old
// file stays whole.
TEST_F(FileWriter, AFullDiskGivesItsReasonAndLeavesTheOldFile) {
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
        // One page left: the next write goes part of the way.
        filler.resize(filler.size() - 4096);
    }
    QString error;
    EXPECT_FALSE(writeFileSafely(file, QByteArray(3 * 4096, 'n'), &error, spare.path()));
    EXPECT_EQ(error, systemErrorText(ENOSPC));
    EXPECT_EQ(read(file), QByteArray("[LB]\r\nFS=12\r\n"));
    EXPECT_EQ(entries(folder), (QStringList{u"Kopix.ini"_s, u"filler"_s}));
    ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
}

// A copy never takes the name of anything that exists, a dangling link included, and its name fits the
// file system however long the document's name is.
TEST_F(FileWriter, ACopyGetsANameNothingHasThatFits) {
    const QDateTime when(QDate(2026, 12, 9), QTime(17, 20, 5));
    const QString first = recoveryCopyPath(dir.path(), u"/elsewhere/phrases.txt"_s, when);
    EXPECT_EQ(first, path(u"phrases (訂正 2026-12-09 17.20.05).txt"_s));
    write(first, "taken");
    const QString second = recoveryCopyPath(dir.path(), u"/elsewhere/phrases.txt"_s, when);
    EXPECT_EQ(second, path(u"phrases (訂正 2026-12-09 17.20.05 2).txt"_s));
    ASSERT_EQ(::symlink("/nonexistent/target", QFile::encodeName(second).constData()), 0);
    EXPECT_EQ(recoveryCopyPath(dir.path(), u"/elsewhere/phrases.txt"_s, when),
              path(u"phrases (訂正 2026-12-09 17.20.05 3).txt"_s));

    // 84 Japanese characters and ".txt": 256 bytes, one more than a name may have.
    const QString longName = QString(84, QChar(u'語')) + u".txt"_s;
    const QString copy = recoveryCopyPath(dir.path(), dir.filePath(longName), when);
    const QByteArray name = QFile::encodeName(QFileInfo(copy).fileName());
    EXPECT_LE(name.size(), 255);
    EXPECT_TRUE(QFileInfo(copy).fileName().startsWith(u"語語"_s));
    EXPECT_TRUE(name.endsWith(QFile::encodeName(u" (訂正 2026-12-09 17.20.05).txt"_s)));
    QString error;
    EXPECT_TRUE(writeFileSafely(copy, "corrections", &error, spare.path())) << error.toStdString();
}

} // namespace
