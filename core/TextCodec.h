#pragma once

#include "core/LegacyCodePage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace kopix {

enum class TextEncoding { Utf16LE, Utf16BE, Utf8WithSignature, Utf8, Legacy };

struct DecodedText {
    QString text; // signature removed; nothing else cut (no NUL handling here)
    TextEncoding encoding = TextEncoding::Utf8;
    bool clean = true; // false when bytes were invalid for the detected encoding
};

// Signature FF FE -> UTF-16LE, FE FF -> UTF-16BE, EF BB BF -> UTF-8 (invalid bytes become U+FFFD and
// clean=false: the text is NOT thrown away), otherwise UTF-8 when the bytes are valid UTF-8, else the
// legacy page (clean=false when some bytes had no character there). An empty input is TextEncoding::Utf8 with
// empty text. Odd trailing byte of UTF-16: U+FFFD, clean=false. Unpaired surrogates in UTF-16 are kept as
// they are (so writing the text back gives the same bytes) but make clean false.
DecodedText decodeText(QByteArrayView bytes, const LegacyCodePage& legacy = LegacyCodePage::system());

// Bytes for writing text back in an encoding, signature included where the encoding has one.
// nullopt when the legacy page cannot represent some character (firstUnrepresentable as above).
// UTF-8 cannot hold an unpaired surrogate: it is written as U+FFFD (the UTF-16 encodings keep it).
std::optional<QByteArray> encodeText(QStringView text, TextEncoding encoding,
                                     const LegacyCodePage& legacy = LegacyCodePage::system(),
                                     qsizetype* firstUnrepresentable = nullptr);

// The signature that starts a file in the encoding (empty for UTF-8 without one and the legacy page).
QByteArrayView signatureOf(TextEncoding encoding);

// Decodes bytes known to be in the encoding, without signature (a piece of a file whose encoding has
// already been found), by the same rules as decodeText. *clean as DecodedText::clean.
QString decodeAs(QByteArrayView body, TextEncoding encoding,
                 const LegacyCodePage& legacy = LegacyCodePage::system(), bool* clean = nullptr);

// The text as UTF-8 can hold it, and so as the correction editor holds it: every unpaired surrogate
// becomes U+FFFD. Text without one comes back as it is, not copied.
QString replaceLoneSurrogates(QString text);
// Whether the text holds half a surrogate pair, which no encoding of Unicode can write.
bool hasLoneSurrogate(QStringView text);

} // namespace kopix
