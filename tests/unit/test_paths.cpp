#include "core/PathRules.h"

#include <gtest/gtest.h>

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
        {u"/old/x/old/y", u"/old", u"/new", u"/new/x/old/y", true}, // only the first occurrence
        {u"/OLD/x", u"/old", u"/new", u"/OLD/x", true},             // another folder on Linux
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
