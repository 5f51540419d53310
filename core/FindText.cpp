#include "core/FindText.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kopix {

namespace {

// U+FF61 to U+FF9F, the half-width katakana and their punctuation, in their full-width forms.
constexpr std::u16string_view HalfWidthKana =
    u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモ"
    u"ヤユヨラリルレロワン゛゜";
static_assert(HalfWidthKana.size() == 0xFF9F - 0xFF61 + 1);

// Every UTF-16 unit in the one form the finder compares: full-width Latin letters, digits and signs as
// ASCII, the ideographic space as a space, half-width katakana full-width, then letter case folded.
// A unit of a surrogate pair stands for itself.
class FoldTable {
public:
    FoldTable() {
        for (char32_t u = 0; u <= 0xFFFF; ++u) {
            char16_t folded = char16_t(u);
            if (u >= 0xFF01 && u <= 0xFF5E)
                folded = char16_t(u - 0xFEE0);
            else if (u == 0x3000)
                folded = u' ';
            else if (u >= 0xFF61 && u <= 0xFF9F)
                folded = HalfWidthKana[u - 0xFF61];
            if (!QChar::isSurrogate(folded))
                folded = char16_t(QChar::toCaseFolded(char32_t(folded)));
            m_units[u] = folded;
        }
    }
    char16_t operator[](char16_t unit) const { return m_units[unit]; }

private:
    std::array<char16_t, 0x10000> m_units{};
};

const FoldTable& foldTable() {
    static const auto table = std::make_unique<FoldTable>();
    return *table;
}

enum class Mark { None, Voiced, SemiVoiced };

// A folded unit that is a sound mark (゛ ゜, and their combining forms).
Mark markOf(char16_t folded) {
    switch (folded) {
    case u'\u309B':
    case u'\u3099':
        return Mark::Voiced;
    case u'\u309C':
    case u'\u309A':
        return Mark::SemiVoiced;
    default:
        return Mark::None;
    }
}

// The katakana with its sound mark, or 0 when there is none: ト + ゛ = ド, ハ + ゜ = パ, ウ + ゛ = ヴ.
char16_t withMark(char16_t kana, Mark mark) {
    if (mark == Mark::None)
        return 0;
    const bool voicedBase = (kana >= u'カ' && kana <= u'チ' && (kana - u'カ') % 2 == 0) || kana == u'ツ' ||
                            kana == u'テ' || kana == u'ト';
    const bool hBase = kana >= u'ハ' && kana <= u'ホ' && (kana - u'ハ') % 3 == 0;
    if (mark == Mark::Voiced) {
        if (voicedBase || hBase)
            return char16_t(kana + 1);
        return kana == u'ウ' ? u'ヴ' : char16_t(0);
    }
    return hBase ? char16_t(kana + 2) : char16_t(0);
}

// Reads the folded units of [from, end): one unit each, or one for a katakana and its sound mark.
struct FoldedReader {
    const char16_t* at;
    const char16_t* end;
    const FoldTable& fold;

    bool atEnd() const { return at == end; }
    char16_t next() {
        char16_t unit = fold[*at++];
        if (at != end) {
            if (const char16_t marked = withMark(unit, markOf(fold[*at]))) {
                unit = marked;
                ++at;
            }
        }
        return unit;
    }
};

// The length in [from, end) of a match of the folded text beginning at `from`, or -1.
qsizetype matchLength(const char16_t* from, const char16_t* end, std::u16string_view folded,
                      const FoldTable& fold) {
    FoldedReader reader{from, end, fold};
    for (const char16_t wanted : folded) {
        if (reader.atEnd() || reader.next() != wanted)
            return -1;
    }
    return reader.at - from;
}

// The units a match can begin with: every unit that folds to the text's first folded unit, or is a
// katakana that becomes it with a sound mark.
std::vector<char16_t> firstUnits(char16_t firstFolded, const FoldTable& fold) {
    std::vector<char16_t> units;
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const char16_t f = fold[char16_t(u)];
        if (f == firstFolded || withMark(f, Mark::Voiced) == firstFolded ||
            withMark(f, Mark::SemiVoiced) == firstFolded)
            units.push_back(char16_t(u));
    }
    return units;
}

// Finds candidates for the start of a match: the units of `units` in the text, scanned eight at a time.
class CandidateScan {
public:
    explicit CandidateScan(const std::vector<char16_t>& units) : m_units(units) {
#if defined(__SSE2__)
        for (const char16_t unit : units)
            m_vectors.push_back(Lanes{_mm_set1_epi16(short(unit))});
#endif
    }

    // The first candidate in [from, end), or end.
    const char16_t* forward(const char16_t* from, const char16_t* end) const {
#if defined(__SSE2__)
        for (; end - from >= 8; from += 8) {
            if (const int hits = hitsAt(from))
                return from + __builtin_ctz(unsigned(hits)) / 2;
        }
#endif
        while (from < end && !isCandidate(*from))
            ++from;
        return from;
    }
    // The last candidate in [begin, end), or nullptr.
    const char16_t* backward(const char16_t* begin, const char16_t* end) const {
#if defined(__SSE2__)
        for (; end - begin >= 8; end -= 8) {
            if (const int hits = hitsAt(end - 8))
                return end - 8 + (31 - __builtin_clz(unsigned(hits))) / 2;
        }
#endif
        while (end > begin) {
            if (isCandidate(*--end))
                return end;
        }
        return nullptr;
    }

private:
    bool isCandidate(char16_t unit) const {
        return std::find(m_units.begin(), m_units.end(), unit) != m_units.end();
    }
#if defined(__SSE2__)
    int hitsAt(const char16_t* at) const {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        __m128i any = _mm_setzero_si128();
        for (const Lanes& unit : m_vectors)
            any = _mm_or_si128(any, _mm_cmpeq_epi16(block, unit.units));
        return _mm_movemask_epi8(any);
    }
    struct Lanes {
        __m128i units; // one candidate unit in each of the eight lanes
    };
    std::vector<Lanes> m_vectors;
#endif
    const std::vector<char16_t>& m_units;
};

// A match beginning at `at` that ends within its own line, or nothing.
std::optional<FindHit> hitAt(const LineStore& lines, const char16_t* text, const char16_t* at,
                             std::u16string_view folded, const FoldTable& fold) {
    const char16_t* textEnd = text + lines.textLength();
    if (matchLength(at, textEnd, folded, fold) < 0)
        return std::nullopt;
    // Only a match is placed in its line; most candidates fail before this.
    const qsizetype position = at - text;
    const qsizetype row = lines.lineAt(position);
    const qsizetype lineStart = lines.lineStart(row);
    const qsizetype length = matchLength(at, text + lines.lineStart(row + 1), folded, fold);
    if (length < 0)
        return std::nullopt;
    return FindHit{row, position - lineStart, length};
}

} // namespace

QString foldedForFind(QStringView text) {
    const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
    FoldedReader reader{units, units + text.size(), foldTable()};
    QString folded;
    folded.reserve(text.size());
    while (!reader.atEnd())
        folded.append(QChar(reader.next()));
    return folded;
}

std::optional<FindHit> findInLines(const LineStore& lines, QStringView text, qsizetype fromRow,
                                   FindDirection direction) {
    const QString foldedText = foldedForFind(text);
    if (foldedText.isEmpty() || lines.isEmpty())
        return std::nullopt;
    const std::u16string_view folded(reinterpret_cast<const char16_t*>(foldedText.utf16()),
                                     size_t(foldedText.size()));
    const FoldTable& fold = foldTable();
    const std::vector<char16_t> units = firstUnits(folded.front(), fold);
    const CandidateScan scan(units);
    const auto* begin = reinterpret_cast<const char16_t*>(lines.text().utf16());
    const char16_t* end = begin + lines.textLength();
    const qsizetype row = std::clamp<qsizetype>(fromRow, 0, lines.count() - 1);

    if (direction == FindDirection::Forward) {
        // From the row's start to the end of the text, then from the top up to the row.
        const char16_t* split = begin + lines.lineStart(row);
        for (const auto& [from, to] : {std::pair{split, end}, std::pair{begin, split}}) {
            for (const char16_t* at = scan.forward(from, to); at < to; at = scan.forward(at + 1, to)) {
                if (const std::optional<FindHit> hit = hitAt(lines, begin, at, folded, fold))
                    return hit;
            }
        }
        return std::nullopt;
    }
    // Backwards: from the row's end up to the top, then from the end of the text up to the row.
    const char16_t* split = begin + lines.lineStart(row + 1);
    for (const auto& [from, to] : {std::pair{begin, split}, std::pair{split, end}}) {
        for (const char16_t* at = scan.backward(from, to); at; at = scan.backward(from, at)) {
            if (const std::optional<FindHit> hit = hitAt(lines, begin, at, folded, fold))
                return hit;
        }
    }
    return std::nullopt;
}

std::vector<std::pair<qsizetype, qsizetype>> matchesInLine(QStringView line, QStringView text,
                                                           qsizetype limit) {
    std::vector<std::pair<qsizetype, qsizetype>> matches;
    const QString foldedText = foldedForFind(text);
    if (foldedText.isEmpty())
        return matches;
    const std::u16string_view folded(reinterpret_cast<const char16_t*>(foldedText.utf16()),
                                     size_t(foldedText.size()));
    const FoldTable& fold = foldTable();
    const auto* begin = reinterpret_cast<const char16_t*>(line.utf16());
    const char16_t* end = begin + line.size();
    for (const char16_t* at = begin; at < end && qsizetype(matches.size()) < limit;) {
        const qsizetype length = matchLength(at, end, folded, fold);
        if (length > 0) {
            matches.emplace_back(at - begin, length);
            at += length;
        } else {
            ++at;
        }
    }
    return matches;
}

} // namespace kopix
