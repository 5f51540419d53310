#include "core/TextCodec.h"

#include <gtest/gtest.h>

using kopix::decodeText;
using kopix::encodeText;
using kopix::LegacyCodePage;
using kopix::TextEncoding;
using namespace Qt::StringLiterals;

namespace {

const LegacyCodePage& cp932() {
    static const auto page = LegacyCodePage::cp932();
    return *page;
}

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    TextEncoding encoding;
    QString text;
    bool clean;
};

QByteArray hex(const char* digits) {
    return QByteArray::fromHex(digits);
}

TEST(DecodeText, FindsTheEncodingAndKeepsAllText) {
    // clang-format off
    const DecodeCase cases[] = {
        {"empty", "", TextEncoding::Utf8, u""_s, true},
        {"ascii", "a\r\nb", TextEncoding::Utf8, u"a\r\nb"_s, true},
        {"utf8", hex("e697a5e69cac"), TextEncoding::Utf8, u"日本"_s, true},
        {"utf16le", hex("fffe6100e565"), TextEncoding::Utf16LE, u"a日"_s, true},
        {"utf16be", hex("feff006165e5"), TextEncoding::Utf16BE, u"a日"_s, true},
        {"utf16 odd byte", hex("fffe610062"), TextEncoding::Utf16LE, u"a\uFFFD"_s, false},
        {"utf16 lone surrogate kept", hex("fffe00d86100"), TextEncoding::Utf16LE, QChar(0xD800) + u"a"_s, false},
        {"utf8 signature", hex("efbbbf61"), TextEncoding::Utf8WithSignature, u"a"_s, true},
        {"second signature is text", hex("efbbbfefbbbf61"), TextEncoding::Utf8WithSignature, u"\uFEFFa"_s, true},
        {"utf8 signature, invalid byte", hex("efbbbf6f6b936f6b"), TextEncoding::Utf8WithSignature, u"ok\uFFFDok"_s, false},
        {"cp932", hex("93fa967b"), TextEncoding::Legacy, u"日本"_s, true},
        {"cp932 with bytes it cannot read", hex("636166e9206f6b"), TextEncoding::Legacy, u"caf\u30FBok"_s, false},
        {"utf8 cut at the end is legacy", hex("61e697"), TextEncoding::Legacy, cp932().decode(hex("61e697")), true},
        // UTF-8 is checked in pieces: a character across a piece boundary, an invalid byte in a later piece
        {"utf8 across pieces", QByteArray(65535, 'a') + hex("e697a5"), TextEncoding::Utf8, QString(65535, u'a') + u"日", true},
        {"invalid after 64 KiB", QByteArray(70000, 'a') + hex("93fa"), TextEncoding::Legacy, QString(70000, u'a') + u"日", true},
        // A U+FFFD the file holds is text; an encoded surrogate late in the file is no UTF-8
        {"utf8 holding U+FFFD", QByteArray(70000, 'a') + hex("efbfbd"), TextEncoding::Utf8, QString(70000, u'a') + u"\uFFFD", true},
        {"encoded surrogate after 64 KiB", QByteArray(70000, 'a') + hex("eda080"), TextEncoding::Legacy, cp932().decode(QByteArray(QByteArray(70000, 'a') + hex("eda080"))), true},
    };
    // clang-format on
    for (const DecodeCase& c : cases) {
        const kopix::DecodedText decoded = decodeText(c.bytes, cp932());
        EXPECT_EQ(decoded.encoding, c.encoding) << c.name;
        EXPECT_EQ(decoded.text, c.text) << c.name;
        EXPECT_EQ(decoded.clean, c.clean) << c.name;
    }
}

TEST(EncodeText, WritesSignatureAndBytesOfEachEncoding) {
    const QString text = u"a\r\n日"_s;
    const std::pair<TextEncoding, const char*> cases[] = {
        {TextEncoding::Utf16LE, "fffe61000d000a00e565"},
        {TextEncoding::Utf16BE, "feff0061000d000a65e5"},
        {TextEncoding::Utf8WithSignature, "efbbbf610d0ae697a5"},
        {TextEncoding::Utf8, "610d0ae697a5"},
        {TextEncoding::Legacy, "610d0a93fa"},
    };
    for (const auto& [encoding, digits] : cases) {
        const std::optional<QByteArray> bytes = encodeText(text, encoding, cp932());
        ASSERT_TRUE(bytes.has_value()) << digits;
        EXPECT_EQ(bytes->toHex().toStdString(), digits);
        const kopix::DecodedText back = decodeText(*bytes, cp932());
        EXPECT_EQ(back.text, text) << digits;
        EXPECT_EQ(back.encoding, encoding) << digits;
    }
}

TEST(EncodeText, LegacyRefusesWhatThePageLacksAndUtf8NeverWritesQuestionMarks) {
    qsizetype failedAt = -1;
    EXPECT_FALSE(encodeText(u"日本€"_s, TextEncoding::Legacy, cp932(), &failedAt).has_value());
    EXPECT_EQ(failedAt, 2);

    const QString lone = u"a"_s + QChar(0xDC00) + u"b";
    EXPECT_EQ(encodeText(lone, TextEncoding::Utf8, cp932()).value_or("<none>"), hex("61efbfbd62"));
    EXPECT_EQ(decodeText(encodeText(lone, TextEncoding::Utf16LE, cp932()).value_or("")).text, lone);
}

} // namespace
