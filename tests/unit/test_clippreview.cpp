// The status bar's clipboard preview and how a clipboard owner's offer is judged.
#include "core/ClipPreview.h"

#include <gtest/gtest.h>

using namespace kopix;
using namespace Qt::StringLiterals;

namespace {

struct PreviewCase {
    const char* name;
    QString text;
    QString shown;
};

// "a".."o": fifteen characters.
const QString fifteen = u"abcdefghijklmno"_s;
// U+1F600, two UTF-16 code units.
const QString grin = QString::fromUcs4(U"\U0001F600");

class Preview : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(Preview, ShowsTheHeadAndMarksACut) {
    EXPECT_EQ(clipPreview(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Preview,
    ::testing::Values(
        PreviewCase{"Empty", u""_s, u""_s}, PreviewCase{"ShortWhole", u"hello"_s, u"hello"_s},
        PreviewCase{"FifteenWhole", fifteen, fifteen},
        PreviewCase{"SixteenCut", fifteen + u"p"_s, u" abcdefghijklmno…"_s},
        PreviewCase{"LongCut", u"https://example.com/a/very/long/path"_s, u" https://example…"_s},
        PreviewCase{"FirstLineEndsInCrLf", u"first\r\nsecond\r\n"_s, u" first…"_s},
        PreviewCase{"OneRowCopiedWithCrLf", u"row\r\n"_s, u" row…"_s},
        PreviewCase{"LeadingCrLf", u"\r\nafter"_s, u" …"_s}, PreviewCase{"LeadingTab", u"\tafter"_s, u" …"_s},
        PreviewCase{"TabInside", u"name\tvalue"_s, u" name…"_s},
        PreviewCase{"LoneCrAtEnd", u"abc\r"_s, u" abc…"_s},
        PreviewCase{"LfOnlyLinesWhole", u"one\ntwo"_s, u"one\ntwo"_s},
        PreviewCase{"LfOnlyLongCutAtLimit", u"line one\nline two"_s, u" line one\nline t…"_s},
        PreviewCase{"CrJustPastTheLimit", fifteen + u"\r"_s, u" abcdefghijklmno…"_s},
        PreviewCase{"OnlyLf", u"\n"_s, u"\n"_s},
        PreviewCase{"JapaneseFifteen", u"あいうえおかきくけこさしすせそ"_s,
                    u"あいうえおかきくけこさしすせそ"_s},
        PreviewCase{"JapaneseSixteen", u"あいうえおかきくけこさしすせそた"_s,
                    u" あいうえおかきくけこさしすせそ…"_s},
        // Outside the basic plane: two code units that count as two.
        PreviewCase{"PairEndsExactlyAtTheLimit", u"abcdefghijklm"_s + grin, u"abcdefghijklm"_s + grin},
        PreviewCase{"PairAfterTheLimitIsCut", fifteen + grin, u" "_s + fifteen + u"…"_s},
        PreviewCase{"PairInsideALongText", u"abcdefghijklm"_s + grin + u"x"_s,
                    u" abcdefghijklm"_s + grin + u"…"_s},
        // The limit would split the pair: it is left out whole rather than shown as half a character.
        PreviewCase{"PairAcrossTheLimitLeftOut", u"abcdefghijklmn"_s + grin, u" abcdefghijklmn…"_s},
        PreviewCase{"PairAcrossTheLimitInALongText", u"abcdefghijklmn"_s + grin + u"tail"_s,
                    u" abcdefghijklmn…"_s}),
    [](const ::testing::TestParamInfo<PreviewCase>& info) { return std::string(info.param.name); });

TEST(Preview, APrefixOfSixteenUnitsGivesTheWholeTextsPreview) {
    // The clipboard reader reads only the start of a long text; that must not change what is shown.
    const QStringList texts{u"abcdefghijklmnopqrstuvwxyz"_s, u"abc\r\ndefghijklmnopqrstu"_s,
                            u"abcdefghijklmn"_s + grin + u"tail and more"_s, u"a\nb\nc\nd\ne\nf\ng\nh\ni"_s};
    for (const QString& text : texts)
        EXPECT_EQ(clipPreview(QStringView(text).first(16)), clipPreview(text)) << text.toStdString();
}

TEST(ClipLabels, TextsForWhatIsNoText) {
    EXPECT_EQ(clipNotTextLabel(), u"（対象外）"_s);
    EXPECT_EQ(clipSecretLabel(), u"（非表示）"_s);
}

struct OfferCase {
    const char* name;
    QStringList targets;
    QString textTarget;
    bool secretHint;
};

class Offer : public ::testing::TestWithParam<OfferCase> {};

TEST_P(Offer, PicksTheBestTextTargetAndSeesTheHint) {
    const ClipboardOffer offer = examineClipboardTargets(GetParam().targets);
    EXPECT_EQ(offer.textTarget, GetParam().textTarget);
    EXPECT_EQ(offer.hasSecretHint, GetParam().secretHint);
}

INSTANTIATE_TEST_SUITE_P(
    Owners, Offer,
    ::testing::Values(
        OfferCase{"QtProgram",
                  {u"TIMESTAMP"_s, u"TARGETS"_s, u"MULTIPLE"_s, u"SAVE_TARGETS"_s, u"text/plain"_s,
                   u"STRING"_s, u"TEXT"_s, u"COMPOUND_TEXT"_s, u"UTF8_STRING"_s,
                   u"text/plain;charset=utf-8"_s},
                  u"UTF8_STRING"_s,
                  false},
        OfferCase{"Xclip", {u"TARGETS"_s, u"UTF8_STRING"_s}, u"UTF8_STRING"_s, false},
        OfferCase{"MimeOnlyUpperCaseCharset",
                  {u"TARGETS"_s, u"text/plain;charset=UTF-8"_s, u"text/plain"_s},
                  u"text/plain;charset=UTF-8"_s,
                  false},
        OfferCase{"Latin1Only", {u"TARGETS"_s, u"STRING"_s}, u"STRING"_s, false},
        OfferCase{"PlainMimeOnly", {u"text/plain"_s}, u"text/plain"_s, false},
        OfferCase{"TextOnly", {u"TARGETS"_s, u"TEXT"_s}, u"TEXT"_s, false},
        OfferCase{"ImageOnly", {u"TARGETS"_s, u"image/png"_s, u"image/bmp"_s}, QString(), false},
        OfferCase{"FilesOnly", {u"TARGETS"_s, u"text/uri-list"_s}, QString(), false},
        OfferCase{"Nothing", {}, QString(), false},
        OfferCase{"PasswordManager",
                  {u"TARGETS"_s, u"x-kde-passwordManagerHint"_s, u"UTF8_STRING"_s, u"text/plain"_s},
                  u"UTF8_STRING"_s,
                  true}),
    [](const ::testing::TestParamInfo<OfferCase>& info) { return std::string(info.param.name); });

TEST(SecretHint, OnlyTheValueSecretHides) {
    EXPECT_TRUE(isSecretHint("secret"));
    EXPECT_TRUE(isSecretHint("secret\n")) << "a line end written along with it";
    EXPECT_FALSE(isSecretHint(""));
    EXPECT_FALSE(isSecretHint("public"));
    EXPECT_FALSE(isSecretHint("secretive"));
    EXPECT_EQ(secretHintTarget(), u"x-kde-passwordManagerHint"_s);
}

TEST(ClipboardText, DecodedByTheTypeTheOwnerGave) {
    EXPECT_EQ(decodeClipboardText("caf\xc3\xa9\r\n", u"UTF8_STRING"), u"café\r\n"_s);
    EXPECT_EQ(decodeClipboardText("caf\xe9", u"STRING"), u"café"_s) << "STRING is Latin-1";
    EXPECT_EQ(decodeClipboardText("\xe3\x81\x82", u"text/plain;charset=utf-8"), u"あ"_s);
    EXPECT_EQ(decodeClipboardText("", u"UTF8_STRING"), QString());
}

} // namespace
