#include "core/FileWriter.h"

#include "core/FileDescriptor.h"
#include "core/FileSystem.h"
#include "core/PathBytes.h"
#include "core/SystemErrorText.h"
#include "core/UserFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace kopix {

namespace {

// Writes all of bytes at offset; an errno value, 0 when everything was written. A short write is not
// an error by itself: the next one says why it stopped (a full disk).
int writeAt(int fd, const char* data, qint64 size, qint64 offset) {
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size_t(std::min<qint64>(size, 1 << 30)), off_t(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        data += written;
        size -= written;
        offset += written;
    }
    return 0;
}

int syncFile(int fd) {
    return ::fsync(fd) == 0 ? 0 : errno;
}

// The rename is part of the folder; made lasting too, where the folder lets itself be synced.
void syncFolder(const QByteArray& folder) {
    const FileDescriptor fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get());
}

// The file a path names in the end: symbolic links followed, each relative one from its own folder. A
// dangling link names the file it would create.
QByteArray finalTarget(const QByteArray& path) {
    QByteArray current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        QByteArray target(qsizetype(PATH_MAX), Qt::Uninitialized);
        const ssize_t length = ::readlink(current.constData(), target.data(), size_t(target.size()));
        if (length <= 0 || length >= target.size())
            return current;
        target.truncate(length);
        if (!target.startsWith('/')) {
            const qsizetype slash = current.lastIndexOf('/');
            target.prepend(slash < 0 ? QByteArray() : current.left(slash + 1));
        }
        current = target;
    }
    return current;
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

// The extended attributes that make a file's meaning for the user and that the owner may set: access
// lists and the user's own. Others belong to the system (security labels are given by the folder).
bool carriedAttribute(const char* name) {
    return qstrncmp(name, "user.", 5) == 0 || qstrcmp(name, "system.posix_acl_access") == 0;
}

// Gives the new file the old one's extended attributes; false when one of them cannot be given.
bool copyAttributes(const QByteArray& from, int to) {
    const ssize_t listSize = ::listxattr(from.constData(), nullptr, 0);
    if (listSize <= 0)
        return true; // none, or a file system without them
    QByteArray names(qsizetype(listSize), Qt::Uninitialized);
    const ssize_t got = ::listxattr(from.constData(), names.data(), size_t(names.size()));
    if (got < 0)
        return false;
    for (const char* name = names.constData(); name < names.constData() + got; name += qstrlen(name) + 1) {
        if (!carriedAttribute(name))
            continue;
        const ssize_t valueSize = ::getxattr(from.constData(), name, nullptr, 0);
        if (valueSize < 0)
            return false;
        QByteArray value(qsizetype(valueSize), Qt::Uninitialized);
        const ssize_t valueGot = ::getxattr(from.constData(), name, value.data(), size_t(value.size()));
        if (valueGot < 0 || ::fsetxattr(to, name, value.constData(), size_t(valueGot), 0) != 0)
            return false;
    }
    return true;
}

// A new file in folder with a short name of its own, open for writing (-1 and errno when it cannot be
// made). Readable by its maker only until it is complete.
int createTemporary(const QByteArray& folder, QByteArray* path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *path = folder + "/.kopix-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(path->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// The permissions a new file gets by default, for a file that did not exist before.
mode_t defaultFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

enum class Outcome { Written, Failed, NeedsInPlace };

// The new content in a temporary file renamed over the old one. NeedsInPlace when the new file could not
// be made the old one's equal (owner, group, attributes) or not made at all beside an existing file.
Outcome replaceByRename(const QByteArray& target, const QByteArray& bytes, const struct stat* old,
                        int* error) {
    const QByteArray folder = folderOf(target);
    QByteArray temporary;
    FileDescriptor fd(createTemporary(folder, &temporary));
    if (fd.get() < 0) {
        *error = errno;
        const bool folderRefuses = *error == EACCES || *error == EPERM;
        return old && folderRefuses ? Outcome::NeedsInPlace : Outcome::Failed;
    }
    const auto giveUp = [&](Outcome outcome, int reason) {
        ::unlink(temporary.constData());
        *error = reason;
        return outcome;
    };
    if (old) {
        // The owner first: a change of owner clears set-id bits that the mode then puts back.
        struct stat made {};
        if (::fstat(fd.get(), &made) != 0)
            return giveUp(Outcome::Failed, errno);
        if ((made.st_uid != old->st_uid || made.st_gid != old->st_gid) &&
            ::fchown(fd.get(), old->st_uid, old->st_gid) != 0)
            return giveUp(Outcome::NeedsInPlace, errno);
        if (!copyAttributes(target, fd.get()))
            return giveUp(Outcome::NeedsInPlace, errno);
    }
    if (const int reason = writeAt(fd.get(), bytes.constData(), bytes.size(), 0))
        return giveUp(Outcome::Failed, reason);
    if (::fchmod(fd.get(), old ? old->st_mode & 07777 : defaultFileMode()) != 0)
        return giveUp(Outcome::Failed, errno);
    if (const int reason = syncFile(fd.get()))
        return giveUp(Outcome::Failed, reason);
    if (const int reason = fd.close())
        return giveUp(Outcome::Failed, reason);
    if (::rename(temporary.constData(), target.constData()) != 0)
        return giveUp(Outcome::Failed, errno);
    syncFolder(folder);
    return Outcome::Written;
}

// A copy of bytes in the first of the folders where one can be made; its path, or empty.
QByteArray keepCopy(const QByteArray& target, const QByteArray& bytes, const QStringList& folders) {
    const QFileInfo file(pathFromBytes(target));
    const QString suffix = file.suffix().isEmpty() ? QString() : u'.' + file.suffix();
    for (const QString& folder : folders) {
        if (folder.isEmpty() || !makeFolderPath(folder))
            continue;
        const QByteArray path =
            pathBytes(unusedFilePath(folder, file.completeBaseName(), QStringLiteral("書き込み前"),
                                     QDateTime::currentDateTime(), suffix));
        FileDescriptor fd(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600));
        if (fd.get() < 0)
            continue;
        if (writeAt(fd.get(), bytes.constData(), bytes.size(), 0) == 0 && syncFile(fd.get()) == 0 &&
            fd.close() == 0)
            return path;
        ::unlink(path.constData());
    }
    return {};
}

// The new content written over the old one in the same file.
int writeInPlace(const QByteArray& target, const QByteArray& bytes, const QString& spareFolder,
                 QString* keptAt) {
    FileDescriptor fd(::open(target.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        return errno;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return errno;
    // The old content is kept in memory, to be put back should the write fail.
    QByteArray old;
    if (const int reason = readOpenFile(fd.get(), qint64(info.st_size), documentSizeLimit(), old))
        return reason;
    if (old.size() > documentSizeLimit())
        return EFBIG;
    // What the two have in common at the start stays where it is; only the rest is written.
    const qsizetype same =
        std::mismatch(old.cbegin(), old.cend(), bytes.cbegin(), bytes.cend()).first - old.cbegin();
    if (same == old.size() && same == bytes.size())
        return 0;
    // A full disk is found before anything changes: the room for the longer file is taken first.
    if (const qsizetype growth = bytes.size() - old.size(); growth > 0) {
        const bool reserved =
            ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, off_t(old.size()), off_t(growth)) == 0;
        if (!reserved && errno != EOPNOTSUPP && errno != ENOSYS)
            return errno;
    }
    const QByteArray copy = keepCopy(target, old, {pathFromBytes(folderOf(target)), spareFolder});

    int reason = writeAt(fd.get(), bytes.constData() + same, bytes.size() - same, same);
    if (reason == 0 && ::ftruncate(fd.get(), off_t(bytes.size())) != 0)
        reason = errno;
    if (reason == 0)
        reason = syncFile(fd.get());
    if (reason != 0) {
        // The old content back in place, from memory.
        const bool restored = writeAt(fd.get(), old.constData() + same, old.size() - same, same) == 0 &&
                              ::ftruncate(fd.get(), off_t(old.size())) == 0 && syncFile(fd.get()) == 0;
        if (!restored && !copy.isEmpty()) {
            *keptAt = pathFromBytes(copy);
            return reason;
        }
    }
    if (!copy.isEmpty())
        ::unlink(copy.constData());
    return reason;
}

} // namespace

QString spareCopyFolder() {
    return currentUserFolders().dataHome + QStringLiteral("/Kopix/recovered");
}

bool writeFileSafely(const QString& path, const QByteArray& bytes, QString* errorText,
                     const QString& spareFolder) {
    const auto failWith = [errorText](const QString& reason) {
        if (errorText)
            *errorText = reason;
        return false;
    };
    const auto fail = [&failWith](int error, const QString& keptAt = {}) {
        QString reason = systemErrorText(error);
        if (!keptAt.isEmpty())
            reason += QStringLiteral("\r\n元の内容は %1 に残してあります").arg(keptAt);
        return failWith(reason);
    };
    const QByteArray target = finalTarget(pathBytes(path));
    struct stat info {};
    const bool exists = ::stat(target.constData(), &info) == 0;
    if (!exists && errno != ENOENT)
        return fail(errno);
    // Writing into a pipe or a device would never end, or do something to it.
    if (exists && !S_ISREG(info.st_mode))
        return failWith(notARegularFileText(info.st_mode));
    // Writing through a rename would get past a file the user made read-only; refuse instead, also when
    // running as root (who could write it anyway).
    if (exists && !isWritableFile(pathFromBytes(target))) {
        // A file system mounted read-only has a reason of its own.
        const bool readOnlyMount = ::access(target.constData(), W_OK) != 0 && errno == EROFS;
        return fail(readOnlyMount ? EROFS : EACCES);
    }

    int error = 0;
    if (!exists || info.st_nlink == 1) {
        const Outcome outcome = replaceByRename(target, bytes, exists ? &info : nullptr, &error);
        if (outcome == Outcome::Written)
            return true;
        if (outcome == Outcome::Failed)
            return fail(error);
    }
    QString keptAt;
    error = writeInPlace(target, bytes, spareFolder, &keptAt);
    return error == 0 ? true : fail(error, keptAt);
}

bool copySmallFile(const QString& from, const QString& to) {
    const FileBytes source = readRegularFile(from, SettingsFileSizeLimit);
    return source.bytes && writeFileSafely(to, *source.bytes, nullptr);
}

QString unusedFilePath(const QString& folder, const QString& stem, const QString& label,
                       const QDateTime& when, const QString& suffix) {
    // Dots in the time, so the name is valid on every file system a USB stick may have.
    const QString time = when.toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
    const long longest = ::pathconf(pathBytes(folder).constData(), _PC_NAME_MAX);
    const qsizetype maxBytes = longest > 0 ? qsizetype(longest) : 255;
    const QDir dir(folder);
    for (int n = 1;; ++n) {
        const QString end = QStringLiteral(" (%1 %2%3)%4")
                                .arg(label, time, n == 1 ? QString() : QStringLiteral(" %1").arg(n), suffix);
        const qsizetype room = maxBytes - pathBytes(end).size();
        QString shortened = stem;
        while (!shortened.isEmpty() && pathBytes(shortened).size() > room)
            shortened.chop(shortened.size() > 1 && shortened.back().isLowSurrogate() &&
                                   shortened[shortened.size() - 2].isHighSurrogate()
                               ? 2
                               : 1);
        const QString path = dir.filePath(shortened + end);
        // A dangling link counts as taken: writing would go through it.
        if (!pathExists(path) && !isSymbolicLink(path))
            return path;
    }
}

} // namespace kopix
