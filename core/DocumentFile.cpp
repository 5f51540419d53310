#include "core/DocumentFile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <new>

namespace kopix {

DocumentReadResult readDocument(const QString& path, const LegacyCodePage& legacy, qint64 maxBytes) {
    DocumentReadResult result;
    try {
        FileBytes file = readRegularFile(path, maxBytes);
        if (!file.bytes) {
            result.errorText = file.errorText;
            return result;
        }
        QByteArray bytes = std::move(*file.bytes);
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
        document.modified = file.modified;
        result.document = std::move(document);
    } catch (const std::bad_alloc&) {
        result.document.reset();
        result.errorText = systemErrorText(ENOMEM);
    }
    return result;
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
