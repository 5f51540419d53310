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

// Where the first surrogate without its other half is, from `from` on; -1 when there is none. Every
// fill of the correction editor scans the whole document with this, so the common case (no surrogate
// at all) costs one comparison a character.
qsizetype firstLoneSurrogate(QStringView text, qsizetype from = 0) {
    const char16_t* chars = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = from; i < size; ++i) {
        if (!QChar::isSurrogate(chars[i]))
            continue;
        if (QChar::isHighSurrogate(chars[i]) && i + 1 < size && QChar::isLowSurrogate(chars[i + 1]))
            ++i;
        else
            return i;
    }
    return -1;
}

QString decodeUtf16(QByteArrayView body, bool bigEndian, bool* clean) {
    const qsizetype units = body.size() / 2;
    const bool oddByte = body.size() % 2 != 0;
    QString text(units + (oddByte ? 1 : 0), Qt::Uninitialized);
    if (bigEndian)
        qFromBigEndian<char16_t>(body.data(), units, text.data());
    else
        qFromLittleEndian<char16_t>(body.data(), units, text.data());
    if (oddByte)
        text[units] = QChar::ReplacementCharacter;
    if (clean)
        *clean = !oddByte && firstLoneSurrogate(text) < 0;
    return text;
}

// Whether bytes are valid UTF-8; stops at the first invalid byte.
bool isValidUtf8(QByteArrayView bytes) {
    constexpr qsizetype ChunkSize = 64 * 1024;
    QString piece(qMin(ChunkSize, bytes.size()), Qt::Uninitialized);
    QStringDecoder decoder(QStringDecoder::Utf8, Utf8Flags);
    for (qsizetype start = 0; start < bytes.size();) {
        const qsizetype end = qMin(start + ChunkSize, bytes.size());
        decoder.appendToBuffer(piece.data(), bytes.sliced(start, end - start));
        if (decoder.hasError())
            return false;
        start = end;
    }
    return true;
}

// The whole input decoded when it is valid UTF-8, nullopt otherwise. Qt's plain decoder is twice as fast
// as its checking one, so the text is decoded plainly and checked only where a replacement character came
// out (an invalid byte, or a U+FFFD the file really holds). Legacy files are big too (a million lines of
// Japanese) and rarely valid UTF-8 for long, so their start is checked first.
std::optional<QString> decodeStrictUtf8(QByteArrayView bytes) {
    constexpr qsizetype CheckedFirst = 64 * 1024;
    qsizetype head = qMin(CheckedFirst, bytes.size());
    // Cut before a sequence rather than inside one; the checking decoder keeps its state across pieces.
    while (head < bytes.size() && head > 0 && (static_cast<uchar>(bytes[head]) & 0xC0) == 0x80)
        --head;
    if (!isValidUtf8(bytes.first(head)))
        return std::nullopt;
    QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter) && !isValidUtf8(bytes))
        return std::nullopt;
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
    // Qt would write '?' for an unpaired surrogate; U+FFFD at least shows that something was there.
    if (firstLoneSurrogate(text) < 0)
        return text.toUtf8();
    return replaceLoneSurrogates(text.toString()).toUtf8();
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

bool hasLoneSurrogate(QStringView text) {
    return firstLoneSurrogate(text) >= 0;
}

QString replaceLoneSurrogates(QString text) {
    qsizetype at = firstLoneSurrogate(text);
    while (at >= 0) {
        text[at] = QChar::ReplacementCharacter; // the first write copies a shared text, the rest do not
        at = firstLoneSurrogate(text, at + 1);
    }
    return text;
}

} // namespace kopix
