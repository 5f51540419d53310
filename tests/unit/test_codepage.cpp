#include "core/LegacyCodePage.h"

#include "TsvTable.h"

#include <gtest/gtest.h>

using kopix::LegacyCodePage;
using namespace Qt::StringLiterals;
using kopix::test::TsvTable;

namespace {

QString fromUtf16LEHex(const QString& hex) {
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    QString text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(
            static_cast<char16_t>(static_cast<uchar>(bytes[i]) | static_cast<uchar>(bytes[i + 1]) << 8));
    return text;
}

std::string utf16LEHex(const QString& text) {
    QByteArray bytes;
    for (QChar ch : text)
        bytes += static_cast<char>(ch.unicode() & 0xFF) + QByteArray(1, static_cast<char>(ch.unicode() >> 8));
    return bytes.toHex().toStdString();
}

const TsvTable& decodeTable() {
    static const TsvTable table = TsvTable::load(QStringLiteral("cp932-decode.tsv"));
    return table;
}

const TsvTable& encodeTable() {
    static const TsvTable table = TsvTable::load(QStringLiteral("cp932-encode.tsv"));
    return table;
}

std::string rowName(const TsvTable& table, int index) {
    std::string name =
        std::to_string(index) + "_" + table.cell(table.rows()[index], QStringLiteral("note")).toStdString();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class Cp932Decode : public testing::TestWithParam<int> {};
class Cp932Encode : public testing::TestWithParam<int> {};

TEST(Cp932Tables, LoadWithEveryRow) {
    EXPECT_EQ(decodeTable().error(), QString());
    EXPECT_EQ(encodeTable().error(), QString());
    EXPECT_GE(decodeTable().rows().size(), 50U);
    EXPECT_GE(encodeTable().rows().size(), 60U);
}

TEST_P(Cp932Decode, MatchesReference) {
    const TsvTable& table = decodeTable();
    const TsvTable::Row& row = table.rows()[GetParam()];
    const QByteArray input = QByteArray::fromHex(table.cell(row, QStringLiteral("input_hex")).toLatin1());
    const std::string expected = table.cell(row, QStringLiteral("expected_utf16le_hex")).toStdString();
    EXPECT_EQ(utf16LEHex(LegacyCodePage::cp932()->decode(input)), expected);
}

TEST_P(Cp932Encode, MatchesReference) {
    const TsvTable& table = encodeTable();
    const TsvTable::Row& row = table.rows()[GetParam()];
    const QString input = fromUtf16LEHex(table.cell(row, QStringLiteral("input_utf16le_hex")));
    const QString expected = table.cell(row, QStringLiteral("expected_hex_or_UNREPRESENTABLE"));
    qsizetype failedAt = -1;
    const std::optional<QByteArray> bytes = LegacyCodePage::cp932()->encode(input, &failedAt);
    if (expected == u"UNREPRESENTABLE") {
        EXPECT_FALSE(bytes.has_value()) << bytes.value_or(QByteArray()).toHex().toStdString();
        EXPECT_EQ(failedAt, 0);
    } else {
        ASSERT_TRUE(bytes.has_value());
        EXPECT_EQ(bytes->toHex().toStdString(), expected.toStdString());
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, Cp932Decode, testing::Range(0, static_cast<int>(decodeTable().rows().size())),
                         [](const testing::TestParamInfo<int>& info) {
                             return rowName(decodeTable(), info.param);
                         });
INSTANTIATE_TEST_SUITE_P(Rows, Cp932Encode, testing::Range(0, static_cast<int>(encodeTable().rows().size())),
                         [](const testing::TestParamInfo<int>& info) {
                             return rowName(encodeTable(), info.param);
                         });

// Whatever code the encoder picks for a character with several codes, it must decode to that character.
TEST(Cp932, EveryCharacterOfThePageEncodesToACodeOfItsOwn) {
    const auto page = LegacyCodePage::cp932();
    int checked = 0;
    for (int first = 0; first < 256; ++first) {
        for (int second = -1; second < 256; ++second) {
            QByteArray code(1, static_cast<char>(first));
            if (second >= 0)
                code += static_cast<char>(second);
            const QString text = page->decode(code);
            if (text.size() != 1 || text == u"\u30FB" ||
                (second >= 0 && page->decode(code.first(1)) != u"\u30FB"))
                continue; // no character of its own, or a single byte followed by another one
            const std::optional<QByteArray> encoded = page->encode(text);
            ASSERT_TRUE(encoded.has_value()) << code.toHex().toStdString();
            EXPECT_EQ(page->decode(*encoded), text) << code.toHex().toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 9000);
}

TEST(Cp932, MultiByteCharactersDecodeAtEveryOffsetOfTheAsciiFastPath) {
    const auto page = LegacyCodePage::cp932();
    for (int offset = 0; offset < 20; ++offset) {
        const QByteArray ascii(offset, 'a');
        const QByteArray bytes = ascii + "\x93\xFA" + ascii + "\xB1" + "xyzxyzxyz";
        EXPECT_EQ(page->decode(bytes),
                  QString::fromLatin1(ascii) + u"日" + QString::fromLatin1(ascii) + u"ｱxyzxyzxyz")
            << offset;
    }
}

// A decode is clean when every byte sequence had a character of its own, so that writing the text back
// gives the same bytes; the middle dot put in place of invalid bytes makes it unclean, a real one does not.
TEST(Cp932, DecodeReportsWhetherItPutAnythingInPlaceOfInvalidBytes) {
    struct Case {
        const char* name;
        QByteArray bytes;
        bool clean;
    };
    const auto page = LegacyCodePage::cp932();
    for (const Case& c :
         {Case{"ascii", "ABC", true}, Case{"kanji", "\x93\xFA\x96\x7B\x8C\xEA", true},
          Case{"real middle dot", "\x81\x45", true},
          Case{"single bytes without a character of their own", "\x80\xA0\xFD\xFE\xFF", true},
          Case{"lead byte before a space", "caf\xE9 ok", false},
          Case{"lone lead byte at the end", "A\x81", false}, Case{"unassigned pair", "\x85\x40", false},
          Case{"lead byte before 0x7F", "x\x81\x7Fy", false},
          Case{"invalid pair after a long ascii run", QByteArray(40, 'a') + "\xEB\x40", false}}) {
        bool clean = !c.clean;
        const QString text = page->decode(c.bytes, &clean);
        EXPECT_EQ(clean, c.clean) << c.name;
        if (c.clean) {
            EXPECT_EQ(page->encode(text).value_or("<none>"), c.bytes)
                << c.name << ": clean means it round-trips";
        }
    }
    bool clean = true;
    EXPECT_EQ(page->decode("caf\xE9 ok", &clean), u"caf\u30FBok"_s);
}

TEST(Cp932, EncodeReportsTheFirstCharacterWithoutCode) {
    struct Case {
        QString text;
        qsizetype index;
    };
    for (const Case& c : {Case{u"ab€"_s, 2}, Case{u"日本\U0001F600"_s, 2}, Case{u"x\u00E9\u00A5"_s, 1}}) {
        qsizetype failedAt = -1;
        EXPECT_FALSE(LegacyCodePage::cp932()->encode(c.text, &failedAt).has_value());
        EXPECT_EQ(failedAt, c.index) << c.text.toStdString();
    }
}

TEST(LegacyCodePageByName, KnowsCp932AndIconvPagesAndRejectsTheRest) {
    struct Case {
        const char* setting;
        const char* name; // nullptr: unknown
    };
    for (const Case& c : {Case{"932", "CP932"}, Case{"cp932", "CP932"}, Case{"1252", "CP1252"},
                          Case{" 1252 ", "CP1252"}, Case{"ISO-8859-15", "ISO-8859-15"}, Case{"", nullptr},
                          Case{"no-such-page", nullptr}, Case{"UTF-16", nullptr}, Case{"IBM037", nullptr}}) {
        const auto page = LegacyCodePage::byName(QString::fromUtf8(c.setting));
        if (c.name)
            EXPECT_EQ(page ? page->name() : QString(), QString::fromUtf8(c.name)) << c.setting;
        else
            EXPECT_EQ(page, nullptr) << c.setting;
        EXPECT_EQ(LegacyCodePage::fromSetting(QString::fromUtf8(c.setting))->name(),
                  QString::fromUtf8(c.name ? c.name : "CP932"));
    }
}

TEST(IconvCodePage, DecodesEncodesAndRefusesWhatThePageLacks) {
    const auto page = LegacyCodePage::byName(QStringLiteral("1252"));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->decode("caf\xE9 \x80"), u"café €"_s);
    bool clean = false;
    EXPECT_EQ(page->decode("caf\xE9", &clean), u"café"_s);
    EXPECT_TRUE(clean);
    EXPECT_EQ(page->decode("a\x81z", &clean), u"a\uFFFDz"_s); // 0x81 has no character in 1252
    EXPECT_FALSE(clean);
    EXPECT_EQ(page->encode(u"café €"_s).value_or("<none>"), QByteArray("caf\xE9 \x80"));
    for (const QString& text : {u"ok日本"_s, u"ok\xD800"_s}) {
        qsizetype failedAt = -1;
        EXPECT_FALSE(page->encode(text, &failedAt).has_value());
        EXPECT_EQ(failedAt, 2);
    }
}

} // namespace
