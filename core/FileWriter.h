#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace kopix {

// Where copies go that have no place beside their file: Kopix/recovered in the user's data folder
// (~/.local/share; see userFolders).
QString spareCopyFolder();

// Writes bytes over a file so that its old content survives any failure, and the file stays the file it
// was: its owner, group, permissions, access lists and other hard links are kept, and a symbolic link is
// written through to its target and stays a link.
//
// Usually the bytes go to a temporary file in the same folder (a short name, whatever the file's own
// name), which is synced and renamed over the old file: the file is whole at every moment. Where that
// would make a different file — an owner or group this user cannot give the new one, a second hard
// link, a folder this user may not write — the file is written in place instead: a copy of its old
// content is kept first (beside it, or in `spareFolder` when its folder cannot be written), the part
// that changes is written, the file cut to its new length and synced, and the copy removed. Should that
// fail half-way, the old content is put back; where even that fails, the copy stays and the reason says
// where. A file without any write permission is not written, also for root.
//
// Returns false with the system's reason (no space left, permission denied, ...) in *errorText.
bool writeFileSafely(const QString& path, const QByteArray& bytes, QString* errorText,
                     const QString& spareFolder = spareCopyFolder());
// A copy of a file small enough to read in one piece (a sample, a settings file), written as above; false
// when it could not be read or written.
bool copySmallFile(const QString& from, const QString& to);

// A path in `folder` that nothing has yet (not even a dangling link, which a write would follow):
// "stem (label 2026-12-09 17.20.05).txt" for suffix ".txt", with " 2", " 3" … added while the name is
// taken. The stem is shortened, a whole character at a time, so that the name fits the longest name the
// folder's file system takes.
QString unusedFilePath(const QString& folder, const QString& stem, const QString& label,
                       const QDateTime& when, const QString& suffix);

} // namespace kopix
