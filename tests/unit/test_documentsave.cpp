#include "core/DocumentFile.h"
#include "core/DocumentSave.h"
#include "core/LineStore.h"

#include "support/QtPrinters.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

const LegacyCodePage& cp932() {
    static const auto page = LegacyCodePage::cp932();
    return *page;
}

CorrectionSave plan(QStringView text, TextEncoding encoding, const std::optional<QByteArray>& original,
                    bool clean = true) {
    return planCorrectionSave(text, encoding, original, encoding, clean, cp932());
}

// A correction of the second line, in every encoding: the other lines keep their bytes, the new one is
// written in the document's encoding, the signature stays.
TEST(CorrectionSave, ExactBytesInEveryEncoding) {
    struct Case {
        const char* name;
        TextEncoding encoding;
        QByteArray original;
        QByteArray expected;
    } cases[] = {
        {"utf16le", TextEncoding::Utf16LE,
         QByteArray("\xFF\xFE"
                    "a\0\r\0\n\0b\0\r\0\n\0",
                    14),
         QByteArray("\xFF\xFE"
                    "a\0\r\0\n\0\xE5\x65\r\0\n\0",
                    14)},
        {"utf16be", TextEncoding::Utf16BE, QByteArray("\xFE\xFF\0a\0\r\0\n\0b\0\r\0\n", 14),
         QByteArray("\xFE\xFF\0a\0\r\0\n\x65\xE5\0\r\0\n", 14)},
        {"utf8 with signature", TextEncoding::Utf8WithSignature,
         "\xEF\xBB\xBF"
         "a\r\nb\r\n",
         "\xEF\xBB\xBF"
         "a\r\n\xE6\x97\xA5\r\n"},
        {"utf8", TextEncoding::Utf8, "a\r\nb\r\n", "a\r\n\xE6\x97\xA5\r\n"},
        {"cp932", TextEncoding::Legacy, "a\r\nb\r\n", "a\r\n\x93\xFA\r\n"},
    };
    for (const Case& c : cases) {
        const CorrectionSave save = plan(u"a\r\n日\r\n", c.encoding, c.original);
        EXPECT_EQ(save.bytes, c.expected) << c.name;
        EXPECT_EQ(save.unrepresentable, -1) << c.name;
        EXPECT_FALSE(save.losesUnreadable) << c.name;
    }
}

TEST(CorrectionSave, LinesLeftAloneKeepTheirBytesAndOnlyChangedOnesAreEncoded) {
    // ⅰ has two codes in CP932: the file's EEEF stays, a newly typed one gets the page's own FA40.
    const QByteArray original = "\xEE\xEF\r\ncaf\xE9 ok\r\nold\n";
    const CorrectionSave kept =
        plan(u"\u2170\r\ncaf\u30FBok\r\nnew\r\n\u2170\r\n", TextEncoding::Legacy, original, false);
    EXPECT_EQ(kept.bytes, QByteArray("\xEE\xEF\r\ncaf\xE9 ok\r\nnew\r\n\xFA\x40\r\n"));
    EXPECT_FALSE(kept.losesUnreadable) << "the line that did not decode is written back as it was";

    const CorrectionSave changed = plan(u"\u2170\r\ncaf\u30FBok!\r\n", TextEncoding::Legacy, original, false);
    EXPECT_EQ(changed.bytes, QByteArray("\xEE\xEF\r\ncaf\x81\x45ok!\r\n"));
    EXPECT_TRUE(changed.losesUnreadable);
    EXPECT_TRUE(plan(u"\u2170\r\n", TextEncoding::Legacy, original, false).losesUnreadable)
        << "deleting the line loses it too";
}

// However the lines were edited (changed, added, deleted, moved, in any number), each line of the text
// takes the bytes of the earliest unused line of the file with the same text. "Ⅰ" has two codes in the
// page, so the bytes tell which line was taken.
TEST(CorrectionSave, EveryLineTakesTheEarliestUnusedLineOfItsText) {
    const QList<QByteArray> pieces{"\x87\x54", "\xFA\x4A", "x", "", "y"};
    QRandomGenerator random(20261210);
    for (int round = 0; round < 300; ++round) {
        QList<QByteArray> original;
        for (int i = 0; i < 60; ++i)
            original.append(pieces[random.bounded(int(pieces.size()))] +
                            (random.bounded(3) == 0 ? QByteArray::number(i % 7) : QByteArray()));
        QStringList edited;
        for (const QByteArray& line : original)
            edited.append(cp932().decode(line));
        for (int edits = random.bounded(1, 40); edits > 0; --edits) {
            const qsizetype at = random.bounded(int(edited.size()));
            switch (random.bounded(4)) {
            case 0:
                edited[at] += u'z';
                break;
            case 1:
                edited.insert(at, u"Ⅰ"_s);
                break;
            case 2:
                edited.removeAt(at);
                break;
            default:
                edited.move(at, random.bounded(int(edited.size())));
                break;
            }
        }
        const QString text = edited.join(u"\r\n"_s) + u"\r\n"_s;
        // The rule, looked up the slow way.
        QList<bool> used(original.size(), false);
        QByteArray expected;
        for (const QString& line : text.split(u"\r\n"_s)) {
            qsizetype pick = 0;
            while (pick < original.size() && (used[pick] || cp932().decode(original[pick]) != line))
                ++pick;
            if (pick < original.size()) {
                used[pick] = true;
                expected += original[pick];
            } else {
                expected += *cp932().encode(line);
            }
            expected += "\r\n";
        }
        expected.chop(2);
        EXPECT_EQ(plan(text, TextEncoding::Legacy, original.join("\r\n") + "\r\n").bytes, expected)
            << "round " << round;
    }
}

// Where the plan says the bytes read back as the text, they do: the same lines, encoding and cleanliness
// as reading the file again would give.
TEST(CorrectionSave, BytesSaidToReadBackAsTheTextDo) {
    const struct Case {
        const char* name;
        TextEncoding encoding;
        QByteArray original;
        QString text;
        bool readsBack;
    } cases[] = {
        {"utf-8, one line changed", TextEncoding::Utf8, "a\r\nb\r\n", u"a\r\nb2\r\n"_s, true},
        {"utf-8 signature", TextEncoding::Utf8WithSignature,
         "\xEF\xBB\xBF"
         "a\r\n",
         u"あ\r\n"_s, true},
        {"utf-16le", TextEncoding::Utf16LE,
         QByteArray("\xFF\xFE"
                    "a\0\r\0\n\0",
                    8),
         u"b\r\n"_s, true},
        {"a lone line feed in the text", TextEncoding::Utf8, "a\r\n", u"a\nb\r\n"_s, true},
        {"utf-8 text that begins with U+FEFF", TextEncoding::Utf8, "a\r\n", u"\uFEFFa\r\n"_s, false},
        {"legacy", TextEncoding::Legacy, "a\r\n", u"b\r\n"_s, false},
        {"a kept line that did not decode", TextEncoding::Utf8, "\xFF\r\nb\r\n", u"\uFFFD\r\nc\r\n"_s, false},
        {"a NUL and what follows it kept", TextEncoding::Utf8, QByteArray("a\r\nb\0c", 6), u"x\r\nb"_s,
         false},
        {"a NUL typed", TextEncoding::Utf8, "a\r\n", u"a\0b\r\n"_s, false},
        {"half a surrogate pair", TextEncoding::Utf8, "a\r\n", u"a"_s + QChar(0xD800), false},
    };
    int plainPlans = 0;
    for (const Case& c : cases) {
        const CorrectionSave save = plan(c.text, c.encoding, c.original, true);
        EXPECT_EQ(save.readsBackAsText, c.readsBack) << c.name;
        // Worked out without the file where the file as loaded allows: the very same result.
        const LoadedDocument loaded = decodeDocument(c.original, cp932());
        const std::optional<CorrectionSave> plain =
            loaded.encoding == c.encoding ? planPlainCorrectionSave(c.text, c.encoding, loaded.decodedCleanly)
                                          : std::nullopt;
        if (plain) {
            ++plainPlans;
            EXPECT_EQ(plain->bytes, save.bytes) << c.name;
            EXPECT_EQ(plain->readsBackAsText, save.readsBackAsText) << c.name;
            // The same again from the UTF-8 the editor holds (where it can hold the text).
            const QByteArray held = c.text.toUtf8();
            if (QString::fromUtf8(held) == c.text) {
                EXPECT_EQ(planPlainCorrectionSave(c.text, c.encoding, true, held)->bytes, save.bytes)
                    << c.name;
            }
        }
        if (!save.readsBackAsText)
            continue;
        const LoadedDocument read = decodeDocument(save.bytes, cp932());
        EXPECT_EQ(read.lines.joinedWithCrLf(), LineStore::fromText(c.text).joinedWithCrLf()) << c.name;
        EXPECT_EQ(read.encoding, c.encoding) << c.name;
        EXPECT_TRUE(read.decodedCleanly) << c.name;
    }
    EXPECT_EQ(plainPlans, 7) << "every clean Unicode original";
    // Held bytes that are no UTF-8 are never written: the text they gave is encoded.
    EXPECT_EQ(planPlainCorrectionSave(u"\uFFFD", TextEncoding::Utf8, true, QByteArrayView("\xFF"))->bytes,
              QByteArray("\xEF\xBF\xBD"));
}

TEST(CorrectionSave, WithoutTheOriginalTheLoadTimeFlagCounts) {
    EXPECT_TRUE(plan(u"x", TextEncoding::Utf8, std::nullopt, false).losesUnreadable);
    const CorrectionSave clean = plan(u"x\r\ny", TextEncoding::Utf8, std::nullopt, true);
    EXPECT_FALSE(clean.losesUnreadable);
    EXPECT_EQ(clean.bytes, QByteArray("x\r\ny")) << "exactly the editor's text, no break added";
}

// What follows a NUL was never shown: it stays, unchanged, behind the row holding the NUL while the user
// leaves that row as the last one; otherwise it would go, which the user is told apart from replacements.
TEST(CorrectionSave, WhatFollowsANulStaysBehindItsRow) {
    const QByteArray utf8 = "line1\r\nline2 before\0after\r\nline3\r\n"_ba;
    struct Case {
        const char* name;
        TextEncoding encoding;
        QByteArray original;
        QString text;
        QByteArray expected;
        bool drops;
    } cases[] = {
        {"utf8", TextEncoding::Utf8, utf8, u"Xline1\r\nline2 before\r\n"_s,
         "Xline1\r\nline2 before\0after\r\nline3\r\n"_ba, false},
        {"utf16le, odd byte at the end", TextEncoding::Utf16LE,
         "\xFF\xFE"
         "a\0\r\0\n\0b\0\0\0t\0\x01"_ba,
         u"X\r\nb\r\n"_s,
         "\xFF\xFE"
         "X\0\r\0\n\0b\0\0\0t\0\x01"_ba,
         false},
        {"cp932, final break deleted", TextEncoding::Legacy, "\x93\xFA\r\n\x96\x7B\0\x82\xA0"_ba,
         u"月\r\n本"_s, "\x8C\x8E\r\n\x96\x7B\0\x82\xA0"_ba, false},
        {"nothing before the NUL, a line added", TextEncoding::Utf8, "a\r\n\0tail"_ba, u"a\r\nb\r\n"_s,
         "a\r\nb\r\n\0tail"_ba, false},
        {"its row changed", TextEncoding::Utf8, utf8, u"line1\r\nline2 after\r\n"_s,
         "line1\r\nline2 after\r\n"_ba, true},
        {"a line after its row", TextEncoding::Utf8, utf8, u"line1\r\nline2 before\r\nnew\r\n"_s,
         "line1\r\nline2 before\r\nnew\r\n"_ba, true},
    };
    for (const Case& c : cases) {
        const CorrectionSave save = plan(c.text, c.encoding, c.original);
        EXPECT_EQ(save.bytes, c.expected) << c.name;
        EXPECT_EQ(save.dropsHiddenTail, c.drops) << c.name;
        EXPECT_FALSE(save.losesUnreadable) << c.name << ": no character is replaced";
    }
}

// The editor (UTF-8 inside) cannot hold a lone surrogate of a UTF-16 file: it is filled with U+FFFD
// instead, and the line is still known as the one the user left alone.
TEST(CorrectionSave, ALoneSurrogateLineLeftAloneKeepsItsBytes) {
    const QByteArray original = "\xFF\xFE"
                                "a\0\r\0\n\0\x00\xD8x\0\r\0\n\0c\0\r\0\n\0"_ba;
    QString text = decodeDocument(original, cp932()).lines.joinedWithCrLf();
    ASSERT_EQ(text, u"a\r\n\uFFFDx\r\nc\r\n"_s);
    const CorrectionSave kept = plan(text.replace(u'c', u'C'), TextEncoding::Utf16LE, original);
    EXPECT_EQ(kept.bytes, "\xFF\xFE"
                          "a\0\r\0\n\0\x00\xD8x\0\r\0\n\0C\0\r\0\n\0"_ba);
    EXPECT_FALSE(kept.losesUnreadable);
    const CorrectionSave changed = plan(text.replace(u'x', u'y'), TextEncoding::Utf16LE, original);
    EXPECT_EQ(changed.bytes, "\xFF\xFE"
                             "a\0\r\0\n\0\xFD\xFFy\0\r\0\n\0C\0\r\0\n\0"_ba);
    EXPECT_TRUE(changed.losesUnreadable);
    // Halves of a pair on two lines are two lone surrogates there.
    EXPECT_EQ(LineStore::fromText(u"\xD83D\n\xDE00\U0001F600"_s).joinedWithCrLf(),
              u"\uFFFD\r\n\uFFFD\U0001F600\r\n"_s);
}

TEST(CorrectionSave, ACharacterThePageLacksIsFoundAndAnotherEncodingTakesIt) {
    const CorrectionSave refused = plan(u"ok\r\nあ😀\r\n", TextEncoding::Legacy, QByteArray("ok\r\n"));
    EXPECT_EQ(refused.unrepresentable, 5);
    EXPECT_TRUE(refused.bytes.isEmpty());
    // Going over to UTF-8 copies no legacy bytes; a line that did not decode cannot come along.
    const CorrectionSave utf8 = planCorrectionSave(u"ok\r\nあ😀\r\n", TextEncoding::Utf8, QByteArray("ok\r\n"),
                                                   TextEncoding::Legacy, true, cp932());
    EXPECT_EQ(utf8.bytes, QByteArray("ok\r\nあ😀\r\n"));
    EXPECT_FALSE(utf8.losesUnreadable);
    EXPECT_TRUE(planCorrectionSave(u"caf\u30FBok\r\n", TextEncoding::Utf8, QByteArray("caf\xE9 ok\r\n"),
                                   TextEncoding::Legacy, false, cp932())
                    .losesUnreadable);
}

} // namespace
