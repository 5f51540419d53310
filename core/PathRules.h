#pragma once

#include <QString>
#include <QStringView>

namespace kopix {

// The program folder as the program addresses it: the folder part of the executable's path, and the same
// without a trailing separator ("" for the root, so that wDirS + "/" + name always works).
QString programFolder(QStringView executablePath);       // wDir
QString programFolderNoSlash(QStringView programFolder); // wDirS
QString besideProgram(QStringView wDirS, QStringView fileName);

// The file name part of a path: everything after the last "/", spelled as in the path.
QString fileNamePart(QStringView path);
// The folder part: up to the last "/" without it; the root keeps its "/"; "" when there is none.
QString folderPart(QStringView path);
// Whether the last path element ends in ".txt", the letters compared without regard to ASCII case only
// (".TXT" and ".Txt" count; ".txt.bak", ".text" and full-width letters do not).
bool hasTxtExtension(QStringView path);
// s with its first occurrence of `from` (found ignoring letter case) replaced by `to`; s when there is none.
QString replaceFirstIgnoringCase(QStringView s, QStringView from, QStringView to);

} // namespace kopix
