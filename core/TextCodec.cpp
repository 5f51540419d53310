#include "core/TextCodec.h"

#include <QStringDecoder>
#include <QtEndian>

namespace kopix {

namespace {

constexpr QByteArrayView Utf16LESignature("\xFF\xFE");
constexpr QByteArrayView Utf16BESignature("\xFE\xFF");
constexpr QByteArrayView Utf8Signature("\xEF\xBB\xBF");

// Keeps a U+FEFF at the start: the signature is already gone, anything after it is text.
constexpr auto Utf8Flags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;

QString decodeUtf16(QByteArrayView body, bool bigEndian, bool* clean) {
    const qsizetype units = body.size() / 2;
    const bool oddByte = body.size() % 2 != 0;
    QString text(units + (oddByte ? 1 : 0), Qt::Uninitialized);
    if (bigEndian)
        qFromBigEndian<char16_t>(body.data(), units, text.data());
    else
        qFromLittleEndian<char16_t>(body.data(), units, text.data());
    bool wellFormed = !oddByte;
    if (oddByte)
        text[units] = QChar::ReplacementCharacter;
    const QChar* chars = text.constData();
    for (qsizetype i = 0; i < units; ++i) {
        if (chars[i].isHighSurrogate() && i + 1 < units && chars[i + 1].isLowSurrogate())
            ++i;
        else if (chars[i].isSurrogate())
            wellFormed = false;
    }
    if (clean)
        *clean = wellFormed;
    return text;
}

// The whole input decoded when it is valid UTF-8, nullopt at the first invalid byte. Legacy files are
// big too (a million lines of Japanese), so the work stops early: they are rarely valid UTF-8 for long.
std::optional<QString> decodeStrictUtf8(QByteArrayView bytes) {
    constexpr qsizetype ChunkSize = 64 * 1024;
    QString text(bytes.size(), Qt::Uninitialized); // UTF-8 never gives more units than bytes
    QChar* out = text.data();
    QStringDecoder decoder(QStringDecoder::Utf8, Utf8Flags);
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = qMin(start + ChunkSize, bytes.size());
        // Cut before a sequence rather than inside one; each chunk is decoded on its own.
        qsizetype cut = end;
        while (cut < bytes.size() && cut > start && (static_cast<uchar>(bytes[cut]) & 0xC0) == 0x80)
            --cut;
        if (cut > start)
            end = cut;
        out = decoder.appendToBuffer(out, bytes.sliced(start, end - start));
        if (decoder.hasError())
            return std::nullopt;
        start = end;
    }
    text.truncate(out - text.constData());
    return text;
}

QString decodeUtf8(QByteArrayView body, bool* clean) {
    QStringDecoder decoder(QStringDecoder::Utf8, Utf8Flags);
    QString text = decoder(body);
    if (clean)
        *clean = !decoder.hasError();
    return text;
}

QByteArray utf8Bytes(QStringView text) {
    bool unpaired = false;
    for (qsizetype i = 0; i < text.size() && !unpaired; ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            unpaired = true;
    }
    if (!unpaired)
        return text.toUtf8();
    // Qt would write '?' for an unpaired surrogate; U+FFFD at least shows that something was there.
    QString repaired = text.toString();
    for (qsizetype i = 0; i < repaired.size(); ++i) {
        if (repaired[i].isHighSurrogate() && i + 1 < repaired.size() && repaired[i + 1].isLowSurrogate())
            ++i;
        else if (repaired[i].isSurrogate())
            repaired[i] = QChar::ReplacementCharacter;
    }
    return repaired.toUtf8();
}

QByteArray utf16Bytes(QStringView text, bool bigEndian) {
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    if (bigEndian)
        qToBigEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    else
        qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

} // namespace

QByteArrayView signatureOf(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf16LE:
        return Utf16LESignature;
    case TextEncoding::Utf16BE:
        return Utf16BESignature;
    case TextEncoding::Utf8WithSignature:
        return Utf8Signature;
    case TextEncoding::Utf8:
    case TextEncoding::Legacy:
        break;
    }
    return {};
}

QString decodeAs(QByteArrayView body, TextEncoding encoding, const LegacyCodePage& legacy, bool* clean) {
    switch (encoding) {
    case TextEncoding::Utf16LE:
        return decodeUtf16(body, false, clean);
    case TextEncoding::Utf16BE:
        return decodeUtf16(body, true, clean);
    case TextEncoding::Utf8WithSignature:
    case TextEncoding::Utf8:
        return decodeUtf8(body, clean);
    case TextEncoding::Legacy:
        break;
    }
    return legacy.decode(body, clean);
}

DecodedText decodeText(QByteArrayView bytes, const LegacyCodePage& legacy) {
    DecodedText result;
    for (TextEncoding encoding :
         {TextEncoding::Utf16LE, TextEncoding::Utf16BE, TextEncoding::Utf8WithSignature}) {
        const QByteArrayView signature = signatureOf(encoding);
        if (bytes.startsWith(signature)) {
            result.encoding = encoding;
            result.text = decodeAs(bytes.sliced(signature.size()), encoding, legacy, &result.clean);
            return result;
        }
    }
    if (std::optional<QString> text = decodeStrictUtf8(bytes)) {
        result.encoding = TextEncoding::Utf8;
        result.text = std::move(*text);
    } else {
        result.encoding = TextEncoding::Legacy;
        result.text = legacy.decode(bytes, &result.clean);
    }
    return result;
}

std::optional<QByteArray> encodeText(QStringView text, TextEncoding encoding, const LegacyCodePage& legacy,
                                     qsizetype* firstUnrepresentable) {
    QByteArray bytes = signatureOf(encoding).toByteArray();
    switch (encoding) {
    case TextEncoding::Utf16LE:
        return QByteArray(bytes + utf16Bytes(text, false));
    case TextEncoding::Utf16BE:
        return QByteArray(bytes + utf16Bytes(text, true));
    case TextEncoding::Utf8WithSignature:
    case TextEncoding::Utf8:
        return QByteArray(bytes + utf8Bytes(text));
    case TextEncoding::Legacy:
        break;
    }
    return legacy.encode(text, firstUnrepresentable);
}

} // namespace kopix
