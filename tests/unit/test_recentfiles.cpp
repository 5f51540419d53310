#include "core/RecentFiles.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

QStringList tenFiles() {
    QStringList files;
    for (int i = 0; i < 10; ++i)
        files.append(u"/d/f%1.txt"_s.arg(i));
    return files;
}

QStringList padded(QStringList entries) {
    while (entries.size() < 10)
        entries.append(QString());
    return entries;
}

// Every row of the recent-files rules: what a successful or failed open does to the list.
struct OpenCase {
    const char* name;
    QStringList before;
    QString path;
    bool exists;
    QStringList after;
    int notifications;
};

class RecentFilesRules : public ::testing::TestWithParam<OpenCase> {};

TEST_P(RecentFilesRules, FollowTheOpenedDocument) {
    const OpenCase& c = GetParam();
    RecentFiles list;
    list.fillWithoutNotice(c.before);
    int notified = 0;
    list.setOnChanged([&notified] { ++notified; });
    const int found = list.indexOf(c.path);
    if (c.exists)
        list.documentOpened(c.path, found);
    else
        list.documentMissing(found);
    EXPECT_EQ(list.entries(), c.after);
    EXPECT_EQ(list.size(), 10);
    EXPECT_EQ(notified, c.notifications);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RecentFilesRules,
    ::testing::Values(OpenCase{"new_path_inserted_at_0_last_drops_out", tenFiles(), u"/d/new.txt"_s, true,
                               QStringList{u"/d/new.txt"_s} + tenFiles().mid(0, 9), 1},
                      OpenCase{"new_path_into_short_list", padded({u"/a.txt"_s}), u"/b.txt"_s, true,
                               padded({u"/b.txt"_s, u"/a.txt"_s}), 1},
                      OpenCase{"entry_3_moves_to_0", tenFiles(), u"/d/f3.txt"_s, true,
                               QStringList{u"/d/f3.txt"_s, u"/d/f0.txt"_s, u"/d/f1.txt"_s, u"/d/f2.txt"_s} +
                                   tenFiles().mid(4),
                               1},
                      OpenCase{"other_letter_case_is_another_file", tenFiles(), u"/d/F2.txt"_s, true,
                               QStringList{u"/d/F2.txt"_s} + tenFiles().mid(0, 9), 1},
                      OpenCase{"entry_0_unchanged", tenFiles(), u"/d/f0.txt"_s, true, tenFiles(), 0},
                      OpenCase{"missing_entry_moves_to_9_and_empties", tenFiles(), u"/d/f4.txt"_s, false,
                               tenFiles().mid(0, 4) + tenFiles().mid(5) + QStringList{QString()}, 1},
                      OpenCase{"missing_entry_0", padded({u"/a.txt"_s, u"/b.txt"_s}), u"/a.txt"_s, false,
                               padded({u"/b.txt"_s}), 1},
                      OpenCase{"missing_path_not_in_list", tenFiles(), u"/x.txt"_s, false, tenFiles(), 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecentFiles, LookupHonoursLetterCase) {
    RecentFiles list;
    list.fillWithoutNotice(padded({u"/home/Notes.txt"_s, u"/home/notes.txt"_s}));
    EXPECT_EQ(list.indexOf(u"/home/notes.txt"_s), 1);
    EXPECT_EQ(list.indexOf(u"/home/NOTES.TXT"_s), -1);
    EXPECT_EQ(list.indexOf(QString()), 2) << "an empty path matches the first free slot, like any entry";
}

// Reading the stored list: existing files stay, missing ones are looked for in the moved program folder.
struct RelocationCase {
    const char* name;
    QStringList stored;
    QString fDir, wDirS;
    QStringList existing;
    QStringList expected;
};

class Relocation : public ::testing::TestWithParam<RelocationCase> {};

TEST_P(Relocation, KeepsWhatStillExists) {
    const RelocationCase& c = GetParam();
    const QSet<QString> existing(c.existing.begin(), c.existing.end());
    const QStringList result =
        relocateRecentFiles([&c](int k) { return c.stored.value(k); }, c.fDir, c.wDirS,
                            [&existing](const QString& p) { return existing.contains(p); });
    EXPECT_EQ(result, padded(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Relocation,
    ::testing::Values(
        RelocationCase{"empty_key_stops_reading",
                       {u"/a.txt"_s, QString(), u"/c.txt"_s},
                       u"/p"_s,
                       u"/p"_s,
                       {u"/a.txt"_s, u"/c.txt"_s},
                       {u"/a.txt"_s}},
        RelocationCase{"moved_folder_finds_file_again",
                       {u"/media/old/docs/a.txt"_s},
                       u"/media/old"_s,
                       u"/media/new"_s,
                       {u"/media/new/docs/a.txt"_s},
                       {u"/media/new/docs/a.txt"_s}},
        RelocationCase{"old_folder_in_another_letter_case_is_not_it",
                       {u"/media/OLD/docs/a.txt"_s},
                       u"/media/old"_s,
                       u"/media/new"_s,
                       {u"/media/new/docs/a.txt"_s},
                       {}},
        RelocationCase{"moved_from_the_root",
                       {u"/docs/a.txt"_s},
                       u"/"_s,
                       u"/media/usb"_s,
                       {u"/media/usb/docs/a.txt"_s},
                       {u"/media/usb/docs/a.txt"_s}},
        RelocationCase{"moved_but_missing_everywhere_dropped",
                       {u"/media/old/a.txt"_s, u"/b.txt"_s},
                       u"/media/old"_s,
                       u"/media/new"_s,
                       {u"/b.txt"_s},
                       {u"/b.txt"_s}},
        RelocationCase{"same_folder_no_relocation", {u"/p/a.txt"_s}, u"/p"_s, u"/p"_s, {u"/q/a.txt"_s}, {}},
        RelocationCase{"folder_letter_case_differs_counts_as_moved",
                       {u"/P/a.txt"_s},
                       u"/P"_s,
                       u"/p"_s,
                       {u"/p/a.txt"_s},
                       {u"/p/a.txt"_s}},
        RelocationCase{"outside_files_stay_unchanged",
                       {u"/home/u/x.txt"_s},
                       u"/old"_s,
                       u"/new"_s,
                       {u"/home/u/x.txt"_s},
                       {u"/home/u/x.txt"_s}},
        RelocationCase{
            "no_fdir_no_relocation", {u"/old/a.txt"_s}, QString(), u"/new"_s, {u"/new/a.txt"_s}, {}},
        RelocationCase{"old_folder_only_as_the_whole_leading_folder",
                       {u"/x/portB-tools/a.txt"_s, u"/x/portB/a.txt"_s, u"/y/x/portB/b.txt"_s},
                       u"/x/portB"_s,
                       u"/x/portC"_s,
                       {u"/x/portC-tools/a.txt"_s, u"/x/portC/a.txt"_s, u"/y/x/portC/b.txt"_s},
                       {u"/x/portC/a.txt"_s}},
        RelocationCase{"old_folder_as_a_name_prefix_is_not_it",
                       {u"/media/oldies/a.txt"_s},
                       u"/media/old"_s,
                       u"/media/new"_s,
                       {u"/media/newies/a.txt"_s},
                       {}},
        RelocationCase{"duplicates_kept",
                       {u"/a.txt"_s, u"/a.txt"_s},
                       u"/p"_s,
                       u"/p"_s,
                       {u"/a.txt"_s},
                       {u"/a.txt"_s, u"/a.txt"_s}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EditorPath, TakenOnlyWithKnownFolderAndMovedWithIt) {
    EXPECT_EQ(relocateEditorPath(u"/old/bin/ed"_s, u"/old"_s, u"/new"_s), u"/new/bin/ed"_s);
    EXPECT_EQ(relocateEditorPath(u"/usr/bin/ed"_s, u"/old"_s, u"/new"_s), u"/usr/bin/ed"_s);
    EXPECT_EQ(relocateEditorPath(u"/p/ed"_s, u"/p"_s, u"/p"_s), u"/p/ed"_s);
    EXPECT_EQ(relocateEditorPath(u"/usr/bin/ed"_s, QString(), u"/p"_s), QString());
    EXPECT_EQ(relocateEditorPath(QString(), u"/p"_s, u"/q"_s), QString());
    EXPECT_EQ(relocateEditorPath(u"/bin/ed"_s, u"/"_s, QString()), u"/bin/ed"_s)
        << "the root is a known folder";
    EXPECT_EQ(relocateEditorPath(u"/bin/ed"_s, u"/"_s, u"/media/usb"_s), u"/media/usb/bin/ed"_s);
}

// The old folder is replaced only where it is the path's whole leading folder (followed by "/" or the
// end), never where it merely begins a longer name or stands further inside the path.
TEST(EditorPath, MovedOnlyAtAFolderBoundary) {
    struct Case {
        QString stored, fDir, wDirS, expected;
    } cases[] = {
        {u"/x/portB-tools/ed"_s, u"/x/portB"_s, u"/x/portC"_s, u"/x/portB-tools/ed"_s},
        {u"/x/portB/tools/ed"_s, u"/x/portB"_s, u"/x/portC"_s, u"/x/portC/tools/ed"_s},
        {u"/x/portB"_s, u"/x/portB"_s, u"/x/portC"_s, u"/x/portC"_s},
        {u"/x/portBed"_s, u"/x/portB"_s, u"/x/portC"_s, u"/x/portBed"_s},
        {u"/opt/x/portB/ed"_s, u"/x/portB"_s, u"/x/portC"_s, u"/opt/x/portB/ed"_s},
        {u"/X/PORTB/ed"_s, u"/x/portB"_s, u"/x/portC"_s, u"/X/PORTB/ed"_s},
        {u"/x/portB/ed"_s, u"/x/portB/"_s, u"/x/portC"_s, u"/x/portC/ed"_s},
        {u"/x/portB/ed"_s, u"/x/portB"_s, QString(), u"/ed"_s}, // to the root
    };
    for (const Case& c : cases) {
        EXPECT_EQ(relocateEditorPath(c.stored, c.fDir, c.wDirS), c.expected)
            << c.stored.toStdString() << " " << c.fDir.toStdString() << " -> " << c.wDirS.toStdString();
    }
}

} // namespace
