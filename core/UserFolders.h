#pragma once

#include <QString>

namespace kopix {

// What the user's folders are chosen from: the environment's values ("" when unset) and the home folder
// of the user's account ("" when unknown).
struct UserEnvironment {
    QString xdgConfigHome;
    QString xdgDataHome;
    QString home;
    QString accountHome;
};

// Where an installed copy keeps the user's settings and the user's data (the first-run sample, copies of
// corrections that have no other place).
struct UserFolders {
    QString configHome;
    QString dataHome;
};

// $XDG_CONFIG_HOME and $XDG_DATA_HOME when they are absolute paths that can serve as folders (see
// folderCanServe), else .config and .local/share in $HOME, or, where $HOME is unset or no folder, in the
// account's home folder. When none of them can serve, the last: the one Kopix fell back on, which the
// failure to write then names. Nothing is created.
UserFolders userFolders(const UserEnvironment& environment);

// The environment of this process and the home folder of its user's account.
UserEnvironment processUserEnvironment();
// The folders for this process: userFolders(processUserEnvironment()).
UserFolders currentUserFolders();

} // namespace kopix
