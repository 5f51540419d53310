#pragma once

// What must hold for any input to the readers of outside data: the fuzz targets look for inputs where
// one of these fails, and the unit tests keep every input found that way. Each returns a description
// of what went wrong, or nothing.
#include "core/DocumentFile.h"
#include "core/DocumentSave.h"
#include "core/LegacyCodePage.h"
#include "core/ProfileFile.h"
#include "core/TextCodec.h"

#include <QString>

#include <optional>

namespace kopix::properties {

// Text for a report, with control characters and non-ASCII as \uXXXX.
inline QString visible(QStringView text) {
    QString out;
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return out;
}

// The bytes from the first NUL on, where reading ends the text (in UTF-16 at a NUL character); empty
// without one.
inline QByteArray bytesFromNul(const QByteArray& bytes, TextEncoding encoding) {
    const qsizetype unit = encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE ? 2 : 1;
    for (qsizetype i = signatureOf(encoding).size(); i + unit <= bytes.size(); i += unit) {
        if (bytes[i] == 0 && bytes[i + unit - 1] == 0)
            return bytes.sliced(i);
    }
    return {};
}

// A document's bytes, decoded as the program decodes them and written back unchanged as the correction
// tab writes (the text the editor is filled with): UTF-8 and UTF-16 that decoded cleanly encode to the
// same bytes, an unchanged line can always be written, what follows a NUL is never dropped, and a save
// made without asking reads back as exactly the lines that were shown, in the same encoding, with the
// bytes from the NUL on as they were.
inline std::optional<QString> documentRoundTripFault(const QByteArray& bytes, const LegacyCodePage& legacy) {
    const DecodedText decoded = decodeText(bytes, legacy);
    if (decoded.clean && decoded.encoding != TextEncoding::Legacy) {
        const std::optional<QByteArray> encoded = encodeText(decoded.text, decoded.encoding, legacy);
        if (!encoded || *encoded != bytes)
            return QStringLiteral("a clean decode does not encode to its bytes");
    }
    const LoadedDocument document = decodeDocument(bytes, legacy);
    const QString shown = document.lines.joinedWithCrLf();
    const CorrectionSave save = planCorrectionSave(shown, document.encoding, bytes, document.encoding,
                                                   document.decodedCleanly, legacy);
    if (save.unrepresentable >= 0)
        return QStringLiteral("an unchanged line cannot be written (at %1)").arg(save.unrepresentable);
    // A legacy lead byte takes a line break with it, so such lines are not found again; the user is asked.
    if (save.losesUnreadable)
        return std::nullopt;
    if (save.dropsHiddenTail)
        return QStringLiteral("unchanged, what follows the NUL would be dropped");
    const LoadedDocument again = decodeDocument(save.bytes, legacy);
    if (again.lines.joinedWithCrLf() != shown)
        return QStringLiteral("written without asking, reads back differently:\n%1\n%2")
            .arg(visible(shown), visible(again.lines.joinedWithCrLf()));
    if (again.encoding != document.encoding)
        return QStringLiteral("read as encoding %1, written back reads as %2")
            .arg(int(document.encoding))
            .arg(int(again.encoding));
    if (bytesFromNul(save.bytes, again.encoding) != bytesFromNul(bytes, document.encoding))
        return QStringLiteral("written without asking, what follows the NUL changed");
    return std::nullopt;
}

// The settings file as a hand editor may leave it, with one of Kopix's keys written: the value reads
// back as written (line breaks and NULs as spaces, at most ProfileFile::MaxValueLength characters), and a key
// Kopix did not write keeps its value.
inline std::optional<QString> profileRoundTripFault(const QByteArray& file, const QString& section,
                                                    const QString& key, const QString& value,
                                                    const QString& otherSection, const QString& otherKey) {
    ProfileFile profile = ProfileFile::fromBytes(file);
    const QString none = QStringLiteral("<none>");
    const QString otherBefore = profile.readString(otherSection, otherKey, none);
    profile.writeString(section, key, value);
    const ProfileFile back = ProfileFile::fromBytes(profile.toBytes());

    QString expected = value;
    for (QChar& c : expected) {
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            c = u' ';
    }
    expected.truncate(ProfileFile::MaxValueLength);
    const QString readBack = back.readString(section, key, none);
    if (readBack != expected)
        return QStringLiteral("wrote [%1] %2=%3, read %4")
            .arg(section, key, visible(expected), visible(readBack));
    const bool sameKey = section.compare(otherSection, Qt::CaseInsensitive) == 0 &&
                         key.compare(otherKey, Qt::CaseInsensitive) == 0;
    const QString otherAfter = back.readString(otherSection, otherKey, none);
    if (!sameKey && otherAfter != otherBefore)
        return QStringLiteral("[%1] %2 was %3, is %4 after writing [%5] %6")
            .arg(otherSection, otherKey, visible(otherBefore), visible(otherAfter), section, key);
    return std::nullopt;
}

// The legacy code page: a clean decode encodes again, and decode, encode, decode gives the same text
// (and a clean one) wherever the encode succeeds.
inline std::optional<QString> codePageRoundTripFault(QByteArrayView bytes, const LegacyCodePage& page) {
    bool clean = false;
    const QString text = page.decode(bytes, &clean);
    qsizetype failedAt = -1;
    const std::optional<QByteArray> encoded = page.encode(text, &failedAt);
    if (clean && !encoded)
        return QStringLiteral("decoded cleanly, but U+%1 does not encode")
            .arg(text[failedAt].unicode(), 4, 16, QLatin1Char('0'));
    if (!encoded)
        return std::nullopt;
    bool cleanAgain = false;
    const QString again = page.decode(*encoded, &cleanAgain);
    if (again != text)
        return QStringLiteral("decode, encode, decode moved:\n%1\n%2").arg(visible(text), visible(again));
    if (!cleanAgain)
        return QStringLiteral("its own encoding does not decode cleanly");
    return std::nullopt;
}

} // namespace kopix::properties
