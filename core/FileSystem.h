#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kopix {

// Whether a file (not a folder) exists at path, symbolic links followed.
bool fileExists(const QString& path);
bool folderExists(const QString& path);
// Whether a program can be started from path: a file (links followed) that may be executed. What F3 asks
// of the editor path before it uses it, and what the settings dialog shows as usable.
bool isRunnableProgram(const QString& path);
// Whether anything at all exists at path (a file, a folder, a pipe, a device), symbolic links followed.
bool pathExists(const QString& path);
// A relative path typed in `folder`, as one plain absolute path: its folders resolved as the system
// resolves them ("..", ".", links), its own name kept (a linked document stays the link). Nothing when
// its folder does not exist.
std::optional<QString> absolutePathIn(const QString& folder, const QString& relative);
// A path typed on the command line, as one absolute path: a relative one means the current folder, as
// everywhere else on this desktop (absolutePathIn, or plainly joined when its folder does not exist).
QString absoluteArgumentPath(const QString& typed);
// A path with every link and "." and ".." resolved, as the system resolves them; nothing when it does not
// exist.
std::optional<QString> canonicalPath(const QString& path);
// The folder this process works in, and a change of it.
QString currentFolder();
bool changeCurrentFolder(const QString& folder);
// The path of this program's executable, as the system has it (its bytes kept, see PathBytes.h).
QString executablePath();
// Whether path itself is a symbolic link (dangling or not), and the path it points at (made absolute from
// the link's folder; "" when it is no link).
bool isSymbolicLink(const QString& path);
QString symbolicLinkTarget(const QString& path);
// Whether this process may make entries in a folder: write and search permission for its effective user
// and capabilities (root that gave up overriding permissions counts as the user it stands for).
bool mayWriteInFolder(const QString& folder);
// Whether a folder can serve at path: one is there, or one can be made there (the nearest part of the path
// that is there being a folder this process may write in). Nothing is made.
bool folderCanServe(const QString& path);
// Makes a folder and the folders above it that are missing; false, with the system's reason, when one
// cannot be made.
bool makeFolderPath(const QString& path, QString* errorText = nullptr);
// Whether a file may be replaced: it does not exist yet, or it has a write permission bit and this process
// may write it. A file without any write bit counts as read-only even for root.
bool isWritableFile(const QString& path);
// The last-modification time of a file, nanoseconds since the epoch; nullopt when it cannot be read.
std::optional<qint64> fileModifiedTime(const QString& path);
// A file's size in bytes; -1 when it cannot be read.
qint64 fileSize(const QString& path);

// Why a thing that is not a regular file (a folder, a pipe, a device: st_mode's kind) is no document.
QString notARegularFileText(unsigned mode);

// A whole file read in one piece.
struct FileBytes {
    std::optional<QByteArray> bytes;
    QString errorText;              // why there are no bytes
    std::optional<qint64> modified; // last-modification time, nanoseconds since the epoch
};

// Reads the whole of a regular file, symbolic links followed. Anything else (a folder, a named pipe, a
// device, a socket) is refused with a reason the user can understand, and so is a file larger than
// maxBytes: a pipe or /dev/zero would never end. Opening and reading never block.
FileBytes readRegularFile(const QString& path, qint64 maxBytes);

// Reads an open file from where it stands to its end, but never more than maxBytes + 1 bytes (`expected`
// bytes are made room for first): a file that grows while it is read is caught as too large too. Returns
// an errno value, 0 on success.
int readOpenFile(int fd, qint64 expected, qint64 maxBytes, QByteArray& bytes);

// The memory of this machine, when the system tells.
std::optional<qint64> physicalMemoryBytes();

// The largest document Kopix reads: what the memory of this machine holds comfortably along with the
// decoded text and its line index (a quarter of it), and never more than 1 GiB.
qint64 documentSizeLimit();
// A settings file is a few hundred bytes; anything past this was not written by Kopix.
inline constexpr qint64 SettingsFileSizeLimit = 4 * 1024 * 1024;

// "512 KiB", "1.5 MiB", "2 GiB": a size for messages.
QString byteSizeText(qint64 bytes);

} // namespace kopix
