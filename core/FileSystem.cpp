#include "core/FileSystem.h"

#include "core/PathBytes.h"
#include "core/PathRules.h"
#include "core/SystemErrorText.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kopix {

namespace {

qint64 nanoseconds(const struct stat& info) {
    return qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

bool statPath(const QString& path, struct stat* info) {
    return !path.isEmpty() && ::stat(pathBytes(path).constData(), info) == 0;
}

QString tooLargeText(qint64 size, qint64 maxBytes) {
    return QStringLiteral("ファイルが大きすぎます（%1。読めるのは %2 まで）")
        .arg(byteSizeText(size), byteSizeText(maxBytes));
}

} // namespace

QString notARegularFileText(unsigned mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("フォルダーであり、ファイルではありません");
    if (S_ISFIFO(mode))
        return QStringLiteral("名前付きパイプ（FIFO）であり、通常のファイルではありません");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("デバイスであり、通常のファイルではありません");
    if (S_ISSOCK(mode))
        return QStringLiteral("ソケットであり、通常のファイルではありません");
    return QStringLiteral("通常のファイルではありません");
}

bool fileExists(const QString& path) {
    struct stat info {};
    return statPath(path, &info) && !S_ISDIR(info.st_mode);
}

bool isRunnableProgram(const QString& path) {
    struct stat info {};
    return !path.isEmpty() && statPath(path, &info) && S_ISREG(info.st_mode) &&
           ::access(pathBytes(path).constData(), X_OK) == 0;
}

bool folderExists(const QString& path) {
    struct stat info {};
    return statPath(path, &info) && S_ISDIR(info.st_mode);
}

bool pathExists(const QString& path) {
    struct stat info {};
    return statPath(path, &info);
}

std::optional<QString> absolutePathIn(const QString& folder, const QString& relative) {
    const QString typed = QDir(folder).absoluteFilePath(relative);
    const std::optional<QString> resolvedFolder = canonicalPath(folderPart(typed));
    if (!resolvedFolder)
        return std::nullopt;
    return QDir(*resolvedFolder).filePath(fileNamePart(typed));
}

QString absoluteArgumentPath(const QString& typed) {
    if (typed.isEmpty())
        return typed;
    // An absolute path is cleaned the same way, so that one file reached as /a//docs/./k.txt and as
    // /a/docs/k.txt is one document, with one recent-file entry.
    const QString current = QDir::isAbsolutePath(typed) ? QStringLiteral("/") : currentFolder();
    return absolutePathIn(current, typed).value_or(QDir::cleanPath(QDir(current).absoluteFilePath(typed)));
}

std::optional<QString> canonicalPath(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    char* resolved = ::realpath(pathBytes(path).constData(), nullptr);
    if (!resolved)
        return std::nullopt;
    QString canonical = pathFromBytes(resolved);
    std::free(resolved);
    return canonical;
}

QString currentFolder() {
    char* current = ::getcwd(nullptr, 0);
    const QString folder = current ? pathFromBytes(current) : QString();
    std::free(current);
    return folder;
}

bool changeCurrentFolder(const QString& folder) {
    return !folder.isEmpty() && ::chdir(pathBytes(folder).constData()) == 0;
}

namespace {

// What a symbolic link holds, its bytes as they are; nothing when it is no link.
std::optional<QString> readLink(const QByteArray& link) {
    QByteArray target(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(link.constData(), target.data(), size_t(target.size()));
    if (length <= 0 || length >= target.size())
        return std::nullopt;
    target.truncate(length);
    return pathFromBytes(target);
}

} // namespace

QString executablePath() {
    // The link's own bytes: the folder of a portable copy may have a name that is not UTF-8.
    return readLink("/proc/self/exe").value_or(QCoreApplication::applicationFilePath());
}

QString symbolicLinkTarget(const QString& path) {
    const std::optional<QString> named = readLink(pathBytes(path));
    if (!named)
        return QString();
    return QDir::cleanPath(QDir::isAbsolutePath(*named) ? *named : folderPart(path) + u'/' + *named);
}

bool isSymbolicLink(const QString& path) {
    struct stat info {};
    return !path.isEmpty() && ::lstat(pathBytes(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool mayWriteInFolder(const QString& folder) {
    return folderExists(folder) &&
           ::faccessat(AT_FDCWD, pathBytes(folder).constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool folderCanServe(const QString& path) {
    if (!QDir::isAbsolutePath(path))
        return false;
    const QString wanted = QDir::cleanPath(path);
    for (QString part = wanted;; part = folderPart(part)) {
        struct stat info {};
        if (::lstat(pathBytes(part).constData(), &info) == 0)
            return part == wanted ? folderExists(part) : mayWriteInFolder(part);
        // Anything but a part that is not there (a file on the way, a folder that cannot be searched)
        // stops the folder from being made.
        if (errno != ENOENT || part == u"/")
            return false;
    }
}

bool makeFolderPath(const QString& path, QString* errorText) {
    if (folderExists(path))
        return true;
    const QString cleaned = QDir::cleanPath(path);
    const QString parent = folderPart(cleaned);
    if (!parent.isEmpty() && parent != cleaned && !makeFolderPath(parent, errorText))
        return false;
    if (::mkdir(pathBytes(cleaned).constData(), 0777) == 0)
        return true;
    // Something other than a folder by that name is in the way.
    const int error = errno == EEXIST ? ENOTDIR : errno;
    if (folderExists(cleaned))
        return true;
    if (errorText)
        *errorText = systemErrorText(error);
    return false;
}

bool isWritableFile(const QString& path) {
    struct stat info {};
    const QByteArray encoded = pathBytes(path);
    if (::stat(encoded.constData(), &info) != 0)
        return true; // a file that does not exist yet may be created
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(encoded.constData(), W_OK) == 0;
}

std::optional<qint64> fileModifiedTime(const QString& path) {
    struct stat info {};
    if (!statPath(path, &info))
        return std::nullopt;
    return nanoseconds(info);
}

qint64 fileSize(const QString& path) {
    struct stat info {};
    return statPath(path, &info) ? qint64(info.st_size) : -1;
}

int readOpenFile(int fd, qint64 expected, qint64 maxBytes, QByteArray& bytes) {
    bytes = QByteArray(qsizetype(std::min(expected, maxBytes) + 1), Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > maxBytes)
                break;
            bytes.resize(qsizetype(std::min<qint64>(bytes.size() + 65536, maxBytes + 1)));
        }
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return 0;
}

FileBytes readRegularFile(const QString& path, qint64 maxBytes) {
    FileBytes result;
    const QByteArray encodedPath = pathBytes(path);
    // Looked at before it is opened: opening a named pipe would wait for a writer, opening a device may
    // do something to it.
    struct stat info {};
    if (::stat(encodedPath.constData(), &info) != 0) {
        result.errorText = systemErrorText(errno);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.errorText = notARegularFileText(info.st_mode);
        return result;
    }
    if (qint64(info.st_size) > maxBytes) {
        result.errorText = tooLargeText(info.st_size, maxBytes);
        return result;
    }
    // Non-blocking in case it was swapped for a pipe since; checked again on what was opened.
    const int fd = ::open(encodedPath.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.errorText = systemErrorText(errno);
        return result;
    }
    QByteArray bytes;
    int error = ::fstat(fd, &info) == 0 ? 0 : errno;
    if (error == 0 && !S_ISREG(info.st_mode)) {
        ::close(fd);
        result.errorText = notARegularFileText(info.st_mode);
        return result;
    }
    if (error == 0)
        error = readOpenFile(fd, qint64(info.st_size), maxBytes, bytes);
    ::close(fd);
    if (error != 0) {
        result.errorText = systemErrorText(error);
        return result;
    }
    if (bytes.size() > maxBytes) {
        result.errorText = tooLargeText(bytes.size(), maxBytes);
        return result;
    }
    result.bytes = std::move(bytes);
    result.modified = nanoseconds(info);
    return result;
}

std::optional<qint64> physicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::nullopt;
    return qint64(pages) * pageSize;
}

qint64 documentSizeLimit() {
    constexpr qint64 Ceiling = qint64(1) << 30;
    const std::optional<qint64> memory = physicalMemoryBytes();
    return memory ? std::min(Ceiling, *memory / 4) : Ceiling;
}

QString byteSizeText(qint64 bytes) {
    struct Unit {
        qint64 size;
        const char* name;
    };
    for (const Unit unit : {Unit{qint64(1) << 30, "GiB"}, Unit{qint64(1) << 20, "MiB"}, Unit{1024, "KiB"}}) {
        if (bytes >= unit.size) {
            // One decimal, none when it is zero: "1.5 MiB", "2 GiB".
            const qint64 tenths = (bytes * 10 + unit.size / 2) / unit.size;
            const QString number = tenths % 10 == 0
                                       ? QString::number(tenths / 10)
                                       : QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
            return number + u' ' + QLatin1String(unit.name);
        }
    }
    return QStringLiteral("%1 バイト").arg(bytes);
}

} // namespace kopix
