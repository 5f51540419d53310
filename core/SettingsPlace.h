#pragma once

#include <QString>

namespace kopix {

// Where this copy of Kopix keeps its settings file and its first-run sample.
//
// A portable copy (a folder the user can write, such as a USB stick or a build folder, or any folder that
// already holds a Kopix.ini) keeps both beside the executable, and its stored paths follow the program
// folder when it moves. An installed copy (its executable in a bin folder with the program's data in
// ../share/kopix) never writes there, even for root: the settings go to $XDG_CONFIG_HOME/Kopix, and the
// sample is copied to $XDG_DATA_HOME/Kopix so the user can correct it. So does a copy in a folder the user
// cannot write, with the sample beside it.
struct SettingsPlace {
    QString settingsFile;
    QString sampleFile;   // the sample a first run opens
    QString sampleSource; // where the sample is copied from when sampleFile is not there yet ("" for none)
    bool portable = true;
};

// wDirS: the program folder without a trailing "/"; the other folders as the environment gives them.
SettingsPlace settingsPlace(const QString& wDirS, bool folderWritable, const QString& installedDataFolder,
                            const QString& configHome, const QString& dataHome,
                            bool settingsBesideProgramExist);

// The place of the copy of Kopix in the program folder wDir, as this process finds the user's folders and
// its permissions.
SettingsPlace settingsPlaceOfProgram(const QString& wDir);

// The program's data folder of an installed copy: ../share/kopix from the program folder ("" when there is
// no such folder, as for a build folder or a portable copy).
QString installedDataFolder(const QString& wDir);

} // namespace kopix
