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
// The program folder as the settings file stores it (FL FD): wDirS, except the root, whose wDirS is "",
// which is stored as "/" (an empty FD means that the folder of the last run is not known).
QString storedProgramFolder(QStringView wDirS);
// Whether the program folder moved since the settings were written: fDir (as stored) is known and differs
// from wDirS. Letter case counts, as everywhere in Linux paths.
bool programFolderMoved(QStringView fDir, QStringView wDirS);
// A stored path followed from the program folder of the run that wrote it (fDir as stored) to wDirS: the
// old folder is replaced by the new one where it is the path's whole leading folder, followed by "/" or the
// end (letter case counts; the path as it is otherwise, also where the old folder only begins a longer name
// or stands further inside the path); a path under an old root folder gets the new folder in front.
QString relocatedPath(QStringView path, QStringView fDir, QStringView wDirS);

} // namespace kopix
