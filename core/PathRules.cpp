#include "core/PathRules.h"

namespace kopix {

QString programFolder(QStringView executablePath) {
    return folderPart(executablePath);
}

QString programFolderNoSlash(QStringView programFolder) {
    QStringView folder = programFolder;
    while (folder.endsWith(u'/'))
        folder.chop(1);
    return folder.toString();
}

QString besideProgram(QStringView wDirS, QStringView fileName) {
    return wDirS.toString() + u'/' + fileName;
}

QString fileNamePart(QStringView path) {
    return path.mid(path.lastIndexOf(u'/') + 1).toString();
}

QString folderPart(QStringView path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash).toString();
}

bool hasTxtExtension(QStringView path) {
    const QStringView name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    const QStringView extension = name.mid(dot);
    if (extension.size() != 4)
        return false;
    auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; };
    return lower(extension[1].unicode()) == u't' && lower(extension[2].unicode()) == u'x' &&
           lower(extension[3].unicode()) == u't';
}

QString storedProgramFolder(QStringView wDirS) {
    return wDirS.isEmpty() ? QStringLiteral("/") : wDirS.toString();
}

bool programFolderMoved(QStringView fDir, QStringView wDirS) {
    return !fDir.isEmpty() && programFolderNoSlash(fDir.toString()) != wDirS;
}

QString relocatedPath(QStringView path, QStringView fDir, QStringView wDirS) {
    const QString from = programFolderNoSlash(fDir.toString());
    if (from.isEmpty())
        return wDirS + path.toString();
    // The old folder counts only as the path's whole leading folder: "/x/portB" moves "/x/portB/ed" and
    // "/x/portB", never "/x/portB-tools/ed" nor "/y/x/portB/ed" (replacing the first occurrence of the
    // text would make up paths that are nowhere).
    if (!path.startsWith(from) || (path.size() > from.size() && path[from.size()] != u'/'))
        return path.toString();
    return wDirS + path.mid(from.size());
}

} // namespace kopix
