#include "core/AppSettings.h"
#include "core/ProfileFile.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

const StartupDefaults defaults{290, 313, 119, 135, 11, 0, clWindowText};

StoredSettings read(const QByteArray& ini, const QString& wDirS = u"/opt/kopix"_s,
                    const QStringList& existing = {}) {
    const QSet<QString> files(existing.begin(), existing.end());
    return readSettings(ProfileFile::fromBytes(ini), defaults, wDirS,
                        [&files](const QString& path) { return files.contains(path); });
}

TEST(StoredSettings, NoFileGivesEveryDefault) {
    const StoredSettings s =
        readSettings(ProfileFile(), defaults, u"/p"_s, [](const QString&) { return true; });
    EXPECT_EQ(s.width, 290);
    EXPECT_EQ(s.height, 313);
    EXPECT_EQ(s.left, 20);
    EXPECT_EQ(s.top, 20);
    EXPECT_EQ(s.topIndex, 0);
    EXPECT_EQ(s.listFontSize, 11);
    for (const HighlightRule& rule : s.rules)
        EXPECT_EQ(rule, (HighlightRule{QString(), 0, clWindowText}));
    EXPECT_EQ(s.recentFiles, QStringList(10, QString()));
    EXPECT_EQ(s.editorPath, QString());
}

TEST(StoredSettings, AFirstRunIsOneWithoutTheWindowsOwnSettings) {
    const struct {
        QByteArray ini;
        bool firstRun;
    } cases[] = {
        {"", true},
        {"[Kopix]\r\nPasteInto=1\r\nGlobalKey=Ctrl+Alt+K\r\n", true},
        {"[Kopix]\r\nPasteInto=1\r\n[FL]\r\nF0=\r\n", false},
        {"[AA]\r\nA_W=400\r\n", false},
        {"[LB]\r\n", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isFirstRun(ProfileFile::fromBytes(c.ini)), c.firstRun) << c.ini.constData();
    EXPECT_TRUE(isFirstRun(ProfileFile())) << "no file";
}

TEST(StoredSettings, SizeComesFromTheHandMadeSectionOnlyAndNeverBelowTheMinimum) {
    EXPECT_EQ(read("[fC]\r\nA_W=500\r\nA_H=600\r\n").width, 290) << "what the program wrote is not read back";
    const StoredSettings small = read("[AA]\r\nA_W=50\r\nA_H=20\r\n");
    EXPECT_EQ(small.width, 119);
    EXPECT_EQ(small.height, 135);
    const StoredSettings large = read("[AA]\r\nA_W=640\r\nA_H=0x1E0\r\n");
    EXPECT_EQ(large.width, 640);
    EXPECT_EQ(large.height, 480);
}

TEST(StoredSettings, ValuesThatAreNoNumbersFallBackToTheirDefaults) {
    const StoredSettings s = read("[fC]\r\nA_L=left\r\nA_T=-35\r\n[LB]\r\nFS=abc\r\nTI=12x\r\n");
    EXPECT_EQ(s.left, 20);
    EXPECT_EQ(s.top, -35);
    EXPECT_EQ(s.listFontSize, 11);
    EXPECT_EQ(s.topIndex, 0);
}

TEST(StoredSettings, FontSizesOutsideTheUsableRangeFallBackToTheDefault) {
    const std::pair<const char*, int> cases[] = {{"0", 11}, {"-3", 11}, {"5000", 11}, {"73", 11},
                                                 {"1", 1},  {"8", 8},   {"72", 72},   {"0x0E", 14}};
    for (const auto& [stored, size] : cases)
        EXPECT_EQ(read(QByteArray("[LB]\r\nFS=") + stored + "\r\n").listFontSize, size) << stored;
}

TEST(StoredSettings, RulesTakeHexColoursAndTheLowByteOfTheStyle) {
    const StoredSettings s = read(
        "[LB]\r\nK1=http\r\nS1=261\r\nC1=0xFF\r\nK2=☆\r\nS2=$0F\r\nC2=$FF000008\r\nK3= \"  \" \r\nC3=-1\r\n");
    EXPECT_EQ(s.rules[0], (HighlightRule{u"http"_s, 5, 255}));
    EXPECT_EQ(s.rules[1], (HighlightRule{u"☆"_s, 15, clWindowText}));
    EXPECT_EQ(s.rules[2], (HighlightRule{u"  "_s, 0, -1}));
}

TEST(StoredSettings, RecentFilesStopAtTheFirstEmptyKeyAndFollowTheMovedFolder) {
    const StoredSettings s =
        read("[FL]\r\nFD=/media/old\r\nF0=/media/old/a.txt\r\nF1=/home/b.txt\r\nF2=\r\nF3=/home/c.txt\r\n",
             u"/media/new"_s, {u"/media/new/a.txt"_s, u"/home/b.txt"_s, u"/home/c.txt"_s});
    EXPECT_EQ(s.programFolder, u"/media/old"_s);
    EXPECT_EQ(s.recentFiles.mid(0, 3), (QStringList{u"/media/new/a.txt"_s, u"/home/b.txt"_s, QString()}));
    EXPECT_EQ(s.recentFiles.size(), 10);
}

TEST(StoredSettings, EditorPathNeedsTheFolderOfTheLastWriter) {
    EXPECT_EQ(read("[Memotyo]\r\nNotepad=/usr/bin/mousepad\r\n").editorPath, QString());
    EXPECT_EQ(read("[FL]\r\nFD=/old\r\n[Memotyo]\r\nNotepad=/old/bin/ed\r\n", u"/new"_s).editorPath,
              u"/new/bin/ed"_s);
}

TEST(StoredSettings, KeysGoInTheirOrderIntoANewFile) {
    StoredSettings s;
    s.width = 290;
    s.height = 313;
    s.left = -4;
    s.top = 7;
    s.topIndex = 3;
    s.listFontSize = 12;
    s.rules[0] = firstRunRule();
    s.rules[1] = HighlightRule{u"☆"_s, 1, clWindowText};
    s.programFolder = u"/opt/kopix"_s;
    s.recentFiles = QStringList{u"/home/u/a.txt"_s} + QStringList(9, QString());
    s.editorPath = u"/usr/bin/mousepad"_s;
    ProfileFile ini;
    writeSettings(ini, s);
    QByteArray expected = "[fC]\r\nA_W=290\r\nA_H=313\r\nA_L=-4\r\nA_T=7\r\n[LB]\r\nTI=3\r\nFS=12\r\n"
                          "K1=http\r\nS1=5\r\nC1=16711680\r\nK2=\xE2\x98\x86\r\nS2=1\r\nC2=-16777208\r\n"
                          "K3=\r\nS3=0\r\nC3=-16777208\r\n[FL]\r\nFD=/opt/kopix\r\nF0=/home/u/a.txt\r\n";
    for (int k = 1; k < 10; ++k)
        expected += "F" + QByteArray::number(k) + "=\r\n";
    expected += "[Memotyo]\r\nNotepad=/usr/bin/mousepad\r\n";
    EXPECT_EQ(ini.toBytes(), expected);
}

TEST(StoredSettings, AProgramInTheRootFolderKeepsItsEditorPathFromRunToRun) {
    StoredSettings out;
    out.programFolder = QString(); // the root
    out.editorPath = u"/bin/mousepad"_s;
    ProfileFile ini;
    writeSettings(ini, out);
    EXPECT_EQ(ini.readString(u"FL", u"FD", u"-"), u"/"_s) << "an empty FD would mean 'not known'";
    const StoredSettings in = readSettings(ProfileFile::fromBytes(ini.toBytes()), defaults, QString(),
                                           [](const QString&) { return true; });
    EXPECT_EQ(in.editorPath, u"/bin/mousepad"_s);
}

TEST(StoredSettings, WhatIsWrittenReadsBackTheSame) {
    StoredSettings out;
    out.left = 1919;
    out.top = -1080;
    out.listFontSize = 9;
    out.rules[2] = HighlightRule{u" spaced prefix "_s, 12, 0x00FF00};
    out.programFolder = u"/p"_s;
    // A path as long as Linux allows: twice what a plain value reads back.
    const QString deep = u"/p/"_s + QString(4000, u'語') + u".txt"_s;
    out.recentFiles = QStringList{u"/p/x.txt"_s, deep} + QStringList(8, QString());
    out.editorPath = deep;
    out.kopix = KopixSettings{true, u"Shift+Insert"_s, u"Ctrl+Alt+K"_s};
    ProfileFile ini;
    writeSettings(ini, out);
    const StoredSettings in = readSettings(ProfileFile::fromBytes(ini.toBytes()), defaults, u"/p"_s,
                                           [](const QString&) { return true; });
    EXPECT_EQ(in.left, 1919);
    EXPECT_EQ(in.top, -1080);
    EXPECT_EQ(in.listFontSize, 9);
    EXPECT_EQ(in.rules[2], out.rules[2]);
    EXPECT_EQ(in.recentFiles, out.recentFiles);
    EXPECT_EQ(in.editorPath, deep);
    EXPECT_EQ(in.kopix, out.kopix);
}

} // namespace
