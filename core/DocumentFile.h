#pragma once

#include "core/LineStore.h"
#include "core/TextCodec.h"

#include <QString>

#include <optional>

namespace kopix {

// A document as read from disk: its lines, the encoding it was read in (it is written back in the same
// one) and whether its bytes decoded cleanly (a file that did not must not be overwritten unasked).
struct LoadedDocument {
    LineStore lines;
    TextEncoding encoding = TextEncoding::Utf8;
    bool decodedCleanly = true;
    std::optional<qint64> modified; // last-modification time, nanoseconds since the epoch
};

struct DocumentReadResult {
    std::optional<LoadedDocument> document;
    QString errorText; // the system's reason when document is empty
};

// Reads the whole file in one piece, decodes it once and cuts it into lines.
DocumentReadResult readDocument(const QString& path, const LegacyCodePage& legacy = LegacyCodePage::system());

// Whether a file (not a folder) exists at path.
bool fileExists(const QString& path);
bool folderExists(const QString& path);
// Whether a file may be replaced: it does not exist yet, or it has a write permission bit and this process
// may write it. A file without any write bit counts as read-only even for root.
bool isWritableFile(const QString& path);
// The last-modification time of a file, nanoseconds since the epoch; nullopt when it cannot be read.
std::optional<qint64> fileModifiedTime(const QString& path);

// The system's text for an error number, with trailing blanks, control characters and full stops removed.
QString systemErrorText(int errorNumber);

// Writes text in the given encoding, atomically (a temporary file renamed over the old one), so the old
// content survives any failure. Returns false with the reason in *errorText.
bool writeDocumentText(const QString& path, QStringView text, TextEncoding encoding, QString* errorText,
                       const LegacyCodePage& legacy = LegacyCodePage::system());

} // namespace kopix
