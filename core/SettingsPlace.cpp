#include "core/SettingsPlace.h"

#include "core/AppSettings.h"
#include "core/FileSystem.h"
#include "core/PathRules.h"
#include "core/UserFolders.h"

#include <QDir>

namespace kopix {

SettingsPlace settingsPlace(const QString& wDirS, bool folderWritable, const QString& installedDataFolder,
                            const QString& configHome, const QString& dataHome,
                            bool settingsBesideProgramExist) {
    SettingsPlace place;
    place.portable = settingsBesideProgramExist || (folderWritable && installedDataFolder.isEmpty());
    if (place.portable) {
        place.settingsFile = besideProgram(wDirS, SettingsFileName);
        place.sampleFile = besideProgram(wDirS, u"Sample.txt");
        return place;
    }
    place.settingsFile = configHome + QStringLiteral("/Kopix/") + QString::fromUtf16(SettingsFileName);
    place.sampleFile = dataHome + QStringLiteral("/Kopix/Sample.txt");
    // A program folder that cannot be written (a CD, a folder of the administrator's) may still hold the
    // sample: the user gets a copy of that one.
    place.sampleSource = installedDataFolder.isEmpty() ? besideProgram(wDirS, u"Sample.txt")
                                                       : installedDataFolder + QStringLiteral("/Sample.txt");
    return place;
}

SettingsPlace settingsPlaceOfProgram(const QString& wDir) {
    const QString wDirS = programFolderNoSlash(wDir);
    const UserFolders user = currentUserFolders();
    return settingsPlace(wDirS, mayWriteInFolder(wDir), installedDataFolder(wDir), user.configHome,
                         user.dataHome, fileExists(besideProgram(wDirS, SettingsFileName)));
}

QString installedDataFolder(const QString& wDir) {
    const QString data = QDir::cleanPath(wDir + QStringLiteral("/../share/kopix"));
    return folderExists(data) && QDir(wDir).dirName() == QLatin1String("bin") ? data : QString();
}

} // namespace kopix
