#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kopix {

// The folders where the desktop keeps its programs (desktop files) and which of them open what
// (mimeapps.list, mimeinfo.cache), as the freedesktop standards place them.
struct XdgFolders {
    QString configHome;     // $XDG_CONFIG_HOME, else ~/.config
    QStringList configDirs; // $XDG_CONFIG_DIRS, else /etc/xdg
    QString dataHome;       // $XDG_DATA_HOME, else ~/.local/share
    QStringList dataDirs;   // $XDG_DATA_DIRS, else /usr/local/share and /usr/share
    QStringList desktops;   // $XDG_CURRENT_DESKTOP, in lower case ("gnome", "kde")

    static XdgFolders fromEnvironment();
};

// The programs that open a type (a MIME type such as "text/plain", or "x-scheme-handler/http"), best
// first, as desktop file IDs: the defaults the user and the system chose (mimeapps.list, the current
// desktop's own first), then the associations they added, then every installed program that says it
// opens the type (mimeinfo.cache). Associations the user removed are left out; each ID comes once.
QStringList applicationsFor(const QString& type, const XdgFolders& folders);

// A program as its desktop file describes it.
struct DesktopEntry {
    QString id;      // "org.gnome.TextEditor.desktop"
    QString path;    // the desktop file
    QString name;    // Name
    QString icon;    // Icon
    QString exec;    // Exec, unescaped
    QString tryExec; // TryExec
    bool terminal = false;
    bool hidden = false; // Hidden=true: the user or the system deleted it
};

// The desktop file of an ID, looked for in the applications folders ("kde-kate.desktop" may be
// kde/kate.desktop); nothing when no such program is installed.
std::optional<DesktopEntry> findDesktopEntry(const QString& id, const XdgFolders& folders);

// The command line an entry's Exec gives for one file (a path) or one URL: field codes filled in
// (%f %F with the path, %u %U with the URL, %i %c %k, %% as %), quoting undone. When Exec takes neither
// files nor URLs, the target is added at the end. Nothing when Exec is malformed or empty.
std::optional<QStringList> commandForEntry(const DesktopEntry& entry, const QString& path,
                                           const QString& url);

} // namespace kopix
