#include "core/FindFold.h"

#include "core/FindText.h"

#include <QChar>

#include <memory>
#include <string_view>

namespace kopix {

namespace findfold {

namespace {

// U+FF61 to U+FF9F, the half-width katakana and their punctuation, in their full-width forms.
constexpr std::u16string_view HalfWidthKana =
    u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモ"
    u"ヤユヨラリルレロワン゛゜";
static_assert(HalfWidthKana.size() == 0xFF9F - 0xFF61 + 1);

// The small katakana, with the katakana extension's small letters, and their full-size kana.
constexpr std::u16string_view SmallKana = u"ァィゥェォッャュョヮヵヶㇰㇱㇲㇳㇴㇵㇶㇷㇸㇹㇺㇻㇼㇽㇾㇿ";
constexpr std::u16string_view FullSizeKana = u"アイウエオツヤユヨワカケクシストヌハヒフヘホムラリルレロ";
static_assert(SmallKana.size() == FullSizeKana.size());

// The katakana of a hiragana (ぁ to ゖ, and the iteration marks ゝ ゞ), in full size.
char16_t katakanaOf(char16_t unit) {
    if ((unit >= u'ぁ' && unit <= u'ゖ') || unit == u'ゝ' || unit == u'ゞ')
        unit = char16_t(unit + (u'ア' - u'あ'));
    if (const size_t small = SmallKana.find(unit); small != SmallKana.npos)
        unit = FullSizeKana[small];
    return unit;
}

} // namespace

FoldTable::FoldTable() {
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        char16_t folded = char16_t(u);
        if (u >= 0xFF01 && u <= 0xFF5E)
            folded = char16_t(u - 0xFEE0);
        else if (u == 0x3000)
            folded = u' ';
        else if (u >= 0xFF61 && u <= 0xFF9F)
            folded = HalfWidthKana[u - 0xFF61];
        folded = katakanaOf(folded);
        if (!QChar::isSurrogate(folded))
            folded = char16_t(QChar::toCaseFolded(char32_t(folded)));
        m_units[u] = folded;
    }
}

const FoldTable& foldTable() {
    static const auto table = std::make_unique<FoldTable>();
    return *table;
}

bool isVoicedKana(char16_t folded) {
    return folded == u'ヴ' || withMark(char16_t(folded - 1), Mark::Voiced) == folded ||
           withMark(char16_t(folded - 2), Mark::SemiVoiced) == folded;
}

bool joinsMarks(char16_t folded) {
    return isVoicedKana(folded) || markOf(folded) != Mark::None || withMark(folded, Mark::Voiced) != 0 ||
           withMark(folded, Mark::SemiVoiced) != 0;
}

} // namespace findfold

QString foldedForFind(QStringView text) {
    const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
    findfold::FoldedReader reader{units, units + text.size(), findfold::foldTable()};
    QString folded;
    folded.reserve(text.size());
    while (!reader.atEnd())
        folded.append(QChar(reader.next()));
    return folded;
}

} // namespace kopix
