#include "core/DocumentFile.h"

#include "core/DocumentSave.h"
#include "core/FileWriter.h"
#include "core/SystemErrorText.h"

#include <cerrno>
#include <cstring>
#include <new>

namespace kopix {

LoadedDocument decodeDocument(QByteArray bytes, const LegacyCodePage& legacy) {
    // The lines never need the bytes after a NUL, so they are not decoded at all.
    bool endsAtNul = false;
    if (const void* nul = std::memchr(bytes.constData(), 0, size_t(bytes.size()));
        nul && !bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF")) {
        bytes.truncate(static_cast<const char*>(nul) - bytes.constData());
        endsAtNul = true;
    }
    DecodedText decoded = decodeText(bytes, legacy);
    bytes = QByteArray();
    if (decoded.encoding == TextEncoding::Utf16LE || decoded.encoding == TextEncoding::Utf16BE)
        endsAtNul = decoded.text.contains(QChar(0));
    LoadedDocument document;
    document.encoding = decoded.encoding;
    document.decodedCleanly = decoded.clean && !endsAtNul;
    document.lines = LineStore::fromText(std::move(decoded.text));
    return document;
}

DocumentReadResult readDocument(const QString& path, const LegacyCodePage& legacy, qint64 maxBytes) {
    DocumentReadResult result;
    try {
        FileBytes file = readRegularFile(path, maxBytes);
        if (!file.bytes) {
            result.errorText = file.errorText;
            return result;
        }
        const qint64 size = file.bytes->size();
        LoadedDocument document = decodeDocument(std::move(*file.bytes), legacy);
        document.size = size;
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
            *errorText = unrepresentableText(text, unrepresentable, legacy);
        return false;
    }
    return writeFileSafely(path, *bytes, errorText);
}

QString unrepresentableText(QStringView text, qsizetype index, const LegacyCodePage& legacy) {
    return QStringLiteral("「%1」は %2 で書けない文字です")
        .arg(text.mid(index, text[index].isHighSurrogate() ? 2 : 1))
        .arg(legacy.name());
}

} // namespace kopix
