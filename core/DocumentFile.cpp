#include "core/DocumentFile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace kopix {

namespace {

qint64 nanoseconds(const struct stat& info) {
    return qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

// Reads all of an open file; returns an errno value, 0 on success.
int readAll(int fd, qint64 sizeHint, QByteArray& bytes) {
    bytes = QByteArray(qsizetype(sizeHint), Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() + 65536);
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

} // namespace

DocumentReadResult readDocument(const QString& path, const LegacyCodePage& legacy) {
    DocumentReadResult result;
    const QByteArray encodedPath = QFile::encodeName(path);
    const int fd = ::open(encodedPath.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.errorText = systemErrorText(errno);
        return result;
    }
    struct stat info {};
    int error = ::fstat(fd, &info) == 0 ? 0 : errno;
    if (error == 0 && S_ISDIR(info.st_mode))
        error = EISDIR;
    QByteArray bytes;
    try {
        if (error == 0)
            error = readAll(fd, S_ISREG(info.st_mode) ? qint64(info.st_size) : 0, bytes);
        ::close(fd);
        if (error != 0) {
            result.errorText = systemErrorText(error);
            return result;
        }
        // The lines never need the bytes after a NUL, so they are not decoded at all.
        if (const void* nul = std::memchr(bytes.constData(), 0, size_t(bytes.size()));
            nul && !bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF"))
            bytes.truncate(static_cast<const char*>(nul) - bytes.constData());
        DecodedText decoded = decodeText(bytes, legacy);
        bytes = QByteArray();
        LoadedDocument document;
        document.encoding = decoded.encoding;
        document.decodedCleanly = decoded.clean;
        document.lines = LineStore::fromText(std::move(decoded.text));
        document.modified = nanoseconds(info);
        result.document = std::move(document);
    } catch (const std::bad_alloc&) {
        result.document.reset();
        result.errorText = systemErrorText(ENOMEM);
    }
    return result;
}

bool isWritableFile(const QString& path) {
    struct stat info {};
    const QByteArray encoded = QFile::encodeName(path);
    if (::stat(encoded.constData(), &info) != 0)
        return true; // a file that does not exist yet may be created
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(encoded.constData(), W_OK) == 0;
}

bool fileExists(const QString& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 &&
           !S_ISDIR(info.st_mode);
}

bool folderExists(const QString& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 &&
           S_ISDIR(info.st_mode);
}

std::optional<qint64> fileModifiedTime(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return nanoseconds(info);
}

QString systemErrorText(int errorNumber) {
    QString text = QString::fromLocal8Bit(std::strerror(errorNumber));
    while (!text.isEmpty() && (text.back().isSpace() || text.back().category() == QChar::Other_Control ||
                               text.back() == u'.' || text.back() == u'。'))
        text.chop(1);
    return text;
}

bool writeDocumentText(const QString& path, QStringView text, TextEncoding encoding, QString* errorText,
                       const LegacyCodePage& legacy) {
    qsizetype unrepresentable = -1;
    const std::optional<QByteArray> bytes = encodeText(text, encoding, legacy, &unrepresentable);
    if (!bytes) {
        if (errorText)
            *errorText = QStringLiteral("「%1」は %2 で書けない文字です")
                             .arg(text.mid(unrepresentable, text[unrepresentable].isHighSurrogate() ? 2 : 1))
                             .arg(legacy.name());
        return false;
    }
    // Replacing the file by rename would get past a file the user made read-only; refuse instead, also
    // when running as root (who could write it anyway).
    if (!isWritableFile(path)) {
        if (errorText)
            *errorText = systemErrorText(EACCES);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit()) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    return true;
}

} // namespace kopix
