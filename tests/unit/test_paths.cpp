#include "core/FileSystem.h"
#include "core/PathRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace kopix;
using namespace Qt::StringLiterals;

TEST(ProgramFolder, FolderAndItsSlashlessFormForFilesBesideTheProgram) {
    struct Case {
        QString executable, wDir, wDirS, ini;
    } cases[] = {
        {u"/opt/kopix/kopix"_s, u"/opt/kopix"_s, u"/opt/kopix"_s, u"/opt/kopix/Kopix.ini"_s},
        {u"/kopix"_s, u"/"_s, u""_s, u"/Kopix.ini"_s},
        {u"/media/usb/tools/kopix"_s, u"/media/usb/tools"_s, u"/media/usb/tools"_s,
         u"/media/usb/tools/Kopix.ini"_s},
    };
    for (const Case& c : cases) {
        const QString wDir = programFolder(c.executable);
        EXPECT_EQ(wDir, c.wDir) << c.executable.toStdString();
        EXPECT_EQ(programFolderNoSlash(wDir), c.wDirS) << c.executable.toStdString();
        EXPECT_EQ(besideProgram(programFolderNoSlash(wDir), u"Kopix.ini"), c.ini);
    }
}

TEST(PathParts, FileNameAndFolder) {
    EXPECT_EQ(fileNamePart(u"/home/a/Memo.TXT"), u"Memo.TXT"_s);
    EXPECT_EQ(fileNamePart(u"plain.txt"), u"plain.txt"_s);
    EXPECT_EQ(fileNamePart(u"/home/a/"), QString());
    EXPECT_EQ(folderPart(u"/home/a/Memo.txt"), u"/home/a"_s);
    EXPECT_EQ(folderPart(u"/Memo.txt"), u"/"_s);
    EXPECT_EQ(folderPart(u""), QString());
}

TEST(TxtExtension, OnlyDotTxtInAnyAsciiCase) {
    struct Case {
        const char16_t* path;
        bool opens;
    } cases[] = {
        {u"/a/b.txt", true},      {u"/a/b.TXT", true},      {u"/a/b.Txt", true},  {u"/a/.txt", true},
        {u"/a/b.txt.bak", false}, {u"/a/b.text", false},    {u"/a/b.csv", false}, {u"/a/b", false},
        {u"/a.txt/b", false},     {u"/a/b．ｔｘｔ", false}, {u"/a/b.tx", false},  {u"/a/b.txtt", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hasTxtExtension(c.path), c.opens) << QString::fromUtf16(c.path).toStdString();
}

TEST(ProgramFolderMove, FollowsTheFolderInItsOwnLetterCaseAndFromOrToTheRoot) {
    struct Case {
        const char16_t *path, *fDir, *wDirS, *relocated;
        bool moved;
    } cases[] = {
        {u"/old/x/old/y", u"/old", u"/new", u"/new/x/old/y", true}, // only the leading one
        {u"/old", u"/old", u"/new", u"/new", true},                 // the folder itself
        {u"/old/", u"/old", u"/new", u"/new/", true},
        // Only where the old folder is the path's whole leading folder, never inside a name.
        {u"/x/portB-tools/ed", u"/x/portB", u"/x/portC", u"/x/portB-tools/ed", true},
        {u"/x/portBB/a.txt", u"/x/portB", u"/x/portC", u"/x/portBB/a.txt", true},
        {u"/x/portB.txt", u"/x/portB", u"/x/portC", u"/x/portB.txt", true},
        {u"/y/x/portB/a.txt", u"/x/portB", u"/x/portC", u"/y/x/portB/a.txt", true},
        {u"/a/x/portB", u"/x/portB", u"/x/portC", u"/a/x/portB", true},
        {u"x/portB/a.txt", u"/x/portB", u"/x/portC", u"x/portB/a.txt", true},
        {u"/x/portB/a.txt", u"/x/portB/", u"/x/portC", u"/x/portC/a.txt", true}, // FD with a slash
        {u"/x/portB//a.txt", u"/x/portB", u"/x/portC", u"/x/portC//a.txt", true},
        {u"/OLD/x", u"/old", u"/new", u"/OLD/x", true}, // another folder on Linux
        {u"/other/y", u"/old", u"/new", u"/other/y", true},
        {u"/docs/a.txt", u"/", u"/media/usb", u"/media/usb/docs/a.txt", true}, // from the root
        {u"/media/usb/docs/a.txt", u"/media/usb", u"", u"/docs/a.txt", true},  // to the root
        {u"/p/a.txt", u"/p/", u"/p", u"/p/a.txt", false},
        {u"/a.txt", u"/", u"", u"/a.txt", false},
        {u"/a.txt", u"", u"/new", u"/a.txt", false}, // the old folder is not known
    };
    for (const Case& c : cases) {
        const QString name = QString::fromUtf16(c.path) + u" " + QString::fromUtf16(c.fDir) + u" → " +
                             QString::fromUtf16(c.wDirS);
        EXPECT_EQ(programFolderMoved(c.fDir, c.wDirS), c.moved) << name.toStdString();
        if (c.moved) {
            EXPECT_EQ(relocatedPath(c.path, c.fDir, c.wDirS), QString::fromUtf16(c.relocated))
                << name.toStdString();
        }
    }
    EXPECT_EQ(storedProgramFolder(u""), u"/"_s) << "the root is known, not empty";
    EXPECT_EQ(storedProgramFolder(u"/opt/kopix"), u"/opt/kopix"_s);
}

// A relative path typed in a folder, resolved as the system would open it: a folder reached through a
// link or ".." is its real one, while the document's own link is kept as typed.
TEST(TypedPath, FoldersResolvedTheFileNameKept) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = QFileInfo(dir.path()).canonicalFilePath();
    ASSERT_TRUE(QDir(root).mkpath(u"real/sub"_s));
    ASSERT_EQ(::symlink("real/sub", QFile::encodeName(root + u"/link"_s).constData()), 0);
    ASSERT_EQ(::symlink("target.txt", QFile::encodeName(root + u"/real/named.txt"_s).constData()), 0);
    const struct {
        QString folder, typed;
        std::optional<QString> expected;
    } cases[] = {
        {root + u"/real"_s, u"a.txt"_s, root + u"/real/a.txt"_s},
        {root + u"/real"_s, u"./sub/../a.txt"_s, root + u"/real/a.txt"_s},
        // Through the link "..": the kernel goes up from real/sub, not back to the link's folder.
        {root, u"link/../b.txt"_s, root + u"/real/b.txt"_s},
        {root + u"/real"_s, u"named.txt"_s, root + u"/real/named.txt"_s},
        {root, u"missing/a.txt"_s, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(absolutePathIn(c.folder, c.typed), c.expected) << c.typed.toStdString();

    // An absolute path given to Kopix is cleaned the same way, whatever the current folder.
    const struct {
        QString typed, expected;
    } absolute[] = {
        {root + u"//real/./a.txt"_s, root + u"/real/a.txt"_s},
        {root + u"/link/../b.txt"_s, root + u"/real/b.txt"_s},
        {root + u"/missing//x/../a.txt"_s, root + u"/missing/a.txt"_s},
    };
    for (const auto& c : absolute)
        EXPECT_EQ(absoluteArgumentPath(c.typed), c.expected) << c.typed.toStdString();
}
