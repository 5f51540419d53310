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

TEST(ReplaceFirst, IgnoresCaseAndReplacesOnlyOnce) {
    EXPECT_EQ(replaceFirstIgnoringCase(u"/OLD/x/old/y", u"/old", u"/new"), u"/new/x/old/y"_s);
    EXPECT_EQ(replaceFirstIgnoringCase(u"/other/y", u"/old", u"/new"), u"/other/y"_s);
    EXPECT_EQ(replaceFirstIgnoringCase(u"/a", u"", u"/new"), u"/a"_s);
}
