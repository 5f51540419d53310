#pragma once

#include "core/FileSystem.h"
#include "core/LineStore.h"
#include "core/TextCodec.h"

#include <QString>

#include <optional>

namespace kopix {

// A document as read from disk: its lines, the encoding it was read in (it is written back in the same
// one) and whether all of its bytes decoded cleanly (a file that did not, or whose text ended at a NUL
// before the file did, must not be overwritten unasked).
struct LoadedDocument {
    LineStore lines;
    TextEncoding encoding = TextEncoding::Utf8;
    bool decodedCleanly = true;
    std::optional<qint64> modified; // last-modification time, nanoseconds since the epoch
    qint64 size = 0;                // the file's size in bytes
};

struct DocumentReadResult {
    std::optional<LoadedDocument> document;
    QString errorText; // the system's reason when document is empty
};

// A document's bytes decoded once and cut into lines: the text ends at a NUL (in UTF-16 at a NUL
// character), and what follows it makes the document not clean. size and modified are left to the caller.
LoadedDocument decodeDocument(QByteArray bytes, const LegacyCodePage& legacy = LegacyCodePage::system());

// Reads the whole file in one piece, decodes it once and cuts it into lines. Only a regular file of at
// most maxBytes is read (see readRegularFile); a file that cannot be read gives the reason instead.
DocumentReadResult readDocument(const QString& path, const LegacyCodePage& legacy = LegacyCodePage::system(),
                                qint64 maxBytes = documentSizeLimit());

// Writes text in the given encoding through writeFileSafely, so the old content survives any failure. Returns
// false with the reason in *errorText.
bool writeDocumentText(const QString& path, QStringView text, TextEncoding encoding, QString* errorText,
                       const LegacyCodePage& legacy = LegacyCodePage::system());

// "「x」は CP932 で書けない文字です": the character at index of text that the legacy page cannot hold.
QString unrepresentableText(QStringView text, qsizetype index,
                            const LegacyCodePage& legacy = LegacyCodePage::system());

} // namespace kopix
