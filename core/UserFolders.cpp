#include "core/UserFolders.h"

#include "core/FileSystem.h"
#include "core/PathBytes.h"

#include <QDir>
#include <QStringList>

#include <pwd.h>
#include <unistd.h>

namespace kopix {

namespace {

// One of the user's folders: the one the environment names, else one in a home folder.
QString chooseFolder(const QString& named, const QString& underHome, const UserEnvironment& environment) {
    QStringList candidates;
    // A relative path means nothing here (the program runs in its own folder); freedesktop says to
    // ignore it.
    if (QDir::isAbsolutePath(named))
        candidates.append(QDir::cleanPath(named));
    // The account's home folder stands in only for a $HOME that is unset or no folder: a $HOME the user
    // set is where the user's files go, even when its folders cannot be made.
    const auto isFolder = [](const QString& path) {
        return QDir::isAbsolutePath(path) && folderExists(path);
    };
    const QString home = isFolder(environment.home) ? environment.home : environment.accountHome;
    if (isFolder(home))
        candidates.append(QDir::cleanPath(home + u'/' + underHome));
    for (const QString& candidate : std::as_const(candidates)) {
        if (folderCanServe(candidate))
            return candidate;
    }
    // None can serve: the last tried is the one Kopix falls back on, and the one a message about the
    // folder then names.
    return candidates.isEmpty() ? u'/' + underHome : candidates.constLast();
}

} // namespace

UserFolders userFolders(const UserEnvironment& environment) {
    return {chooseFolder(environment.xdgConfigHome, QStringLiteral(".config"), environment),
            chooseFolder(environment.xdgDataHome, QStringLiteral(".local/share"), environment)};
}

UserEnvironment processUserEnvironment() {
    UserEnvironment environment;
    // Folder names are bytes, like every file name (PathBytes.h).
    environment.xdgConfigHome = pathFromBytes(qgetenv("XDG_CONFIG_HOME"));
    environment.xdgDataHome = pathFromBytes(qgetenv("XDG_DATA_HOME"));
    environment.home = pathFromBytes(qgetenv("HOME"));
    if (const passwd* account = ::getpwuid(::getuid()); account && account->pw_dir)
        environment.accountHome = pathFromBytes(account->pw_dir);
    return environment;
}

UserFolders currentUserFolders() {
    return userFolders(processUserEnvironment());
}

} // namespace kopix
