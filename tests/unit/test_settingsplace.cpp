#include "core/AppSettings.h"
#include "core/ProfileFile.h"
#include "core/SettingsPlace.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

TEST(SettingsPlace, BesideAPortableCopyInTheUsersFoldersForAnInstalledOne) {
    struct Case {
        const char* name;
        QString wDirS;
        bool writable;
        QString installedData;
        bool iniBeside;
        bool portable;
        QString sampleSource; // for a copy that is not portable
    } cases[] = {
        {"build or stick folder", u"/media/usb/kopix"_s, true, QString(), false, true, QString()},
        {"a Kopix.ini already beside it", u"/usr/bin"_s, false, u"/usr/share/kopix"_s, true, true, QString()},
        {"installed, read-only", u"/usr/bin"_s, false, u"/usr/share/kopix"_s, false, false,
         u"/usr/share/kopix/Sample.txt"_s},
        {"installed, run by root", u"/usr/bin"_s, true, u"/usr/share/kopix"_s, false, false,
         u"/usr/share/kopix/Sample.txt"_s},
        // A folder that cannot be written (a CD, a folder of the administrator's) with the sample beside
        // the program: the user gets a copy of that one.
        {"a read-only folder of its own", u"/opt/kopix"_s, false, QString(), false, false,
         u"/opt/kopix/Sample.txt"_s},
        {"a read-only root folder", QString(), false, QString(), false, false, u"/Sample.txt"_s},
    };
    for (const Case& c : cases) {
        const SettingsPlace place = settingsPlace(c.wDirS, c.writable, c.installedData, u"/home/u/.config"_s,
                                                  u"/home/u/.local/share"_s, c.iniBeside);
        EXPECT_EQ(place.portable, c.portable) << c.name;
        if (c.portable) {
            EXPECT_EQ(place.settingsFile, c.wDirS + u"/Kopix.ini") << c.name;
            EXPECT_EQ(place.sampleFile, c.wDirS + u"/Sample.txt") << c.name;
            EXPECT_EQ(place.sampleSource, QString()) << c.name;
        } else {
            EXPECT_EQ(place.settingsFile, u"/home/u/.config/Kopix/Kopix.ini"_s) << c.name;
            EXPECT_EQ(place.sampleFile, u"/home/u/.local/share/Kopix/Sample.txt"_s) << c.name;
            EXPECT_EQ(place.sampleSource, c.sampleSource) << c.name;
        }
    }
}

TEST(SettingsPlace, AnInstalledCopysPathsAreTakenAsTheyAre) {
    const StartupDefaults defaults{290, 313, 119, 135, 11, 0, clWindowText};
    // Written by a portable copy elsewhere: an installed copy does not move the paths, and keeps the editor.
    const ProfileFile ini = ProfileFile::fromBytes(
        "[FL]\r\nFD=/media/usb\r\nF0=/media/usb/a.txt\r\n[Memotyo]\r\nNotepad=/media/usb/bin/ed\r\n");
    const auto exists = [](const QString& path) { return path == u"/usr/bin/a.txt"_s; };
    const StoredSettings installed = readSettings(ini, defaults, u"/usr/bin"_s, exists, false);
    EXPECT_EQ(installed.recentFiles.first(), QString()) << "not looked for under the program folder";
    EXPECT_EQ(installed.editorPath, u"/media/usb/bin/ed"_s);
    const StoredSettings noFolder =
        readSettings(ProfileFile::fromBytes("[Memotyo]\r\nNotepad=/usr/bin/mousepad\r\n"), defaults,
                     u"/usr/bin"_s, exists, false);
    EXPECT_EQ(noFolder.editorPath, u"/usr/bin/mousepad"_s) << "no FD needed";
    const StoredSettings portable = readSettings(ini, defaults, u"/usr/bin"_s, exists, true);
    EXPECT_EQ(portable.recentFiles.first(), u"/usr/bin/a.txt"_s) << "a portable copy follows its folder";
}

} // namespace
