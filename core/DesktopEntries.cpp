#include "core/DesktopEntries.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <iterator>
#include <utility>

namespace kopix {

namespace {

QStringList environmentList(const char* name, const QStringList& fallback) {
    const QStringList listed = qEnvironmentVariable(name).split(u':', Qt::SkipEmptyParts);
    return listed.isEmpty() ? fallback : listed;
}

QString environmentFolder(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name);
    // Only absolute paths count, as the standard says.
    return value.startsWith(u'/') ? value : fallback;
}

// A desktop file or a list of associations: groups of keys, the values as they stand (no escapes undone).
using KeyFile = QHash<QString, QHash<QString, QString>>;

KeyFile readKeyFile(const QString& path) {
    KeyFile groups;
    QFile file(path);
    // A desktop file is a few kilobytes; anything far larger is no desktop file.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 4 * 1024 * 1024)
        return groups;
    QString group;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || group.isEmpty())
            continue;
        const QString key = line.left(equals).trimmed();
        // The first of a key counts; a later repetition is an error of the file.
        if (!groups[group].contains(key))
            groups[group].insert(key, line.mid(equals + 1).trimmed());
    }
    return groups;
}

QStringList idList(const QString& value) {
    return value.split(u';', Qt::SkipEmptyParts);
}

// The mimeapps.list files, most important first, each desktop's own before the common one.
QStringList associationFiles(const XdgFolders& folders) {
    QStringList places{folders.configHome};
    places += folders.configDirs;
    places += folders.dataHome + QStringLiteral("/applications");
    for (const QString& dir : folders.dataDirs)
        places += dir + QStringLiteral("/applications");
    QStringList files;
    for (const QString& place : places) {
        for (const QString& desktop : folders.desktops)
            files += place + u'/' + desktop + QStringLiteral("-mimeapps.list");
        files += place + QStringLiteral("/mimeapps.list");
    }
    return files;
}

QStringList applicationFolders(const XdgFolders& folders) {
    QStringList result{folders.dataHome + QStringLiteral("/applications")};
    for (const QString& dir : folders.dataDirs)
        result += dir + QStringLiteral("/applications");
    return result;
}

// The general escapes of a desktop file's string values; any other backslash is left to the quoting
// rules of Exec.
QString unescaped(const QString& value) {
    static const std::pair<char16_t, char16_t> escapes[] = {
        {u's', u' '}, {u'n', u'\n'}, {u't', u'\t'}, {u'r', u'\r'}, {u'\\', u'\\'}};
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const auto escape =
            i + 1 < value.size() && value[i] == u'\\'
                ? std::find_if(std::begin(escapes), std::end(escapes),
                               [next = value[i + 1]](const auto& e) { return e.first == next; })
                : std::end(escapes);
        if (escape == std::end(escapes)) {
            out += value[i];
            continue;
        }
        out += QChar(escape->second);
        ++i;
    }
    return out;
}

// Exec split into its arguments: separated by spaces, an argument in double quotes may hold spaces, and
// in it \" \` \$ \\ stand for the character. Nothing when a quote is not closed.
std::optional<QStringList> splitExec(const QString& exec) {
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == u'\\' && i + 1 < exec.size()) {
                current += exec[++i];
            } else if (c == u'"') {
                quoted = false;
            } else {
                current += c;
            }
            continue;
        }
        if (c == u' ' || c == u'\t') {
            if (inArgument)
                arguments += current;
            current.clear();
            inArgument = false;
        } else if (c == u'"') {
            quoted = true;
            inArgument = true;
        } else if (c == u'\\' && i + 1 < exec.size()) {
            current += exec[++i];
            inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inArgument)
        arguments += current;
    return arguments;
}

} // namespace

XdgFolders XdgFolders::fromEnvironment() {
    XdgFolders folders;
    const QString home = QDir::homePath();
    folders.configHome = environmentFolder("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    folders.configDirs = environmentList("XDG_CONFIG_DIRS", {QStringLiteral("/etc/xdg")});
    folders.dataHome = environmentFolder("XDG_DATA_HOME", home + QStringLiteral("/.local/share"));
    folders.dataDirs =
        environmentList("XDG_DATA_DIRS", {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    for (const QString& desktop : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
        folders.desktops += desktop.toLower();
    return folders;
}

QStringList applicationsFor(const QString& type, const XdgFolders& folders) {
    QStringList defaults;
    QStringList added;
    QStringList removed;
    for (const QString& path : associationFiles(folders)) {
        const KeyFile file = readKeyFile(path);
        defaults += idList(file.value(QStringLiteral("Default Applications")).value(type));
        // What a more important file removed, a less important one cannot add back.
        for (const QString& id : idList(file.value(QStringLiteral("Added Associations")).value(type)))
            if (!removed.contains(id))
                added += id;
        removed += idList(file.value(QStringLiteral("Removed Associations")).value(type));
    }
    QStringList installed;
    for (const QString& folder : applicationFolders(folders))
        installed += idList(readKeyFile(folder + QStringLiteral("/mimeinfo.cache"))
                                .value(QStringLiteral("MIME Cache"))
                                .value(type));
    QStringList result = defaults;
    for (const QString& id : added + installed)
        if (!removed.contains(id))
            result += id;
    result.removeDuplicates();
    return result;
}

std::optional<DesktopEntry> findDesktopEntry(const QString& id, const XdgFolders& folders) {
    if (!id.endsWith(QStringLiteral(".desktop")) || id.contains(u'/'))
        return std::nullopt;
    for (const QString& folder : applicationFolders(folders)) {
        // A dash of the ID may stand for a subfolder.
        QStringList candidates{id};
        for (qsizetype dash = id.indexOf(u'-'); dash > 0; dash = id.indexOf(u'-', dash + 1)) {
            QString inFolder = id;
            inFolder[dash] = u'/';
            candidates += inFolder;
        }
        for (const QString& relative : candidates) {
            const QString path = folder + u'/' + relative;
            if (!QFile::exists(path))
                continue;
            const QHash<QString, QString> keys = readKeyFile(path).value(QStringLiteral("Desktop Entry"));
            DesktopEntry entry;
            entry.id = id;
            entry.path = path;
            entry.name = unescaped(keys.value(QStringLiteral("Name")));
            entry.icon = unescaped(keys.value(QStringLiteral("Icon")));
            entry.exec = unescaped(keys.value(QStringLiteral("Exec")));
            entry.tryExec = unescaped(keys.value(QStringLiteral("TryExec")));
            entry.terminal = keys.value(QStringLiteral("Terminal")) == u"true";
            entry.hidden = keys.value(QStringLiteral("Hidden")) == u"true";
            // The first folder that has the ID decides, also when its entry is hidden.
            return entry;
        }
    }
    return std::nullopt;
}

std::optional<QStringList> commandForEntry(const DesktopEntry& entry, const QString& path,
                                           const QString& url) {
    const std::optional<QStringList> split = splitExec(entry.exec);
    if (!split || split->isEmpty())
        return std::nullopt;
    QStringList command;
    bool targetGiven = false;
    for (const QString& argument : *split) {
        // Field codes that stand alone are whole arguments, or nothing.
        if (argument == u"%f" || argument == u"%F" || argument == u"%u" || argument == u"%U") {
            const bool wantsPath = argument.at(1).toLower() == u'f';
            if (!targetGiven)
                command += (wantsPath && !path.isEmpty()) || url.isEmpty() ? path : url;
            targetGiven = true;
            continue;
        }
        if (argument == u"%i") {
            if (!entry.icon.isEmpty())
                command += {QStringLiteral("--icon"), entry.icon};
            continue;
        }
        QString expanded;
        for (qsizetype i = 0; i < argument.size(); ++i) {
            if (argument[i] != u'%' || i + 1 == argument.size()) {
                expanded += argument[i];
                continue;
            }
            switch (argument[++i].unicode()) {
            case u'%':
                expanded += u'%';
                break;
            case u'c':
                expanded += entry.name;
                break;
            case u'k':
                expanded += entry.path;
                break;
            default:
                break; // deprecated or unknown codes stand for nothing
            }
        }
        // A deprecated code alone goes, argument and all.
        if (!expanded.isEmpty() || argument.size() != 2 || argument[0] != u'%')
            command += expanded;
    }
    if (!targetGiven)
        command += path.isEmpty() ? url : path;
    return command;
}

} // namespace kopix
