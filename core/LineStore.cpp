#include "core/LineStore.h"

#include "core/TextCodec.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kopix {

namespace {

// The first CR or LF in [from, end), or end. Lines are long compared with a vector of eight units, and
// this search is most of the work of cutting a big document into lines.
const char16_t* findLineBreak(const char16_t* from, const char16_t* end) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi16(u'\r');
    const __m128i lf = _mm_set1_epi16(u'\n');
    for (; end - from >= 8; from += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const int hits =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(units, cr), _mm_cmpeq_epi16(units, lf)));
        if (hits != 0)
            return from + __builtin_ctz(unsigned(hits)) / 2;
    }
#endif
    while (from < end && *from != u'\r' && *from != u'\n')
        ++from;
    return from;
}

} // namespace

LineStore LineStore::fromText(QString text) {
    LineStore store;
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    if (text.isEmpty())
        return store;

    // One pass: copy each line's characters down over the breaks already passed. The write position never
    // overtakes the read position, so this is safe in place.
    char16_t* const data = reinterpret_cast<char16_t*>(text.data());
    const qsizetype size = text.size();
    store.m_starts.reserve(size_t(size / 32 + 16));
    qsizetype write = 0;
    qsizetype read = 0;
    while (read < size) {
        qsizetype end = findLineBreak(data + read, data + size) - data;
        const qsizetype length = end - read;
        if (write != read && length > 0)
            std::char_traits<char16_t>::move(data + write, data + read, size_t(length));
        write += length;
        store.m_starts.push_back(write);
        if (end < size && data[end] == u'\r' && end + 1 < size && data[end + 1] == u'\n')
            ++end;
        read = end + 1;
    }
    text.truncate(write);
    // Keep the spare capacity only while it is small; otherwise give it back once.
    if (text.capacity() - write > write / 8)
        text.squeeze();
    store.m_text = std::move(text);
    return store;
}

qsizetype LineStore::longestLine() const {
    qsizetype longest = 0;
    for (size_t i = 1; i < m_starts.size(); ++i)
        longest = std::max(longest, m_starts[i] - m_starts[i - 1]);
    return longest;
}

LineStore LineStore::fromLines(const QStringList& lines) {
    LineStore store;
    store.m_starts.reserve(size_t(lines.size()) + 1);
    for (const QString& line : lines) {
        store.m_text += line;
        store.m_starts.push_back(store.m_text.size());
    }
    return store;
}

qsizetype LineStore::lineAt(qsizetype position) const {
    if (isEmpty())
        return -1;
    // The last line starting at or before the position: empty lines share their start with the line
    // after them, which is the one holding the character there.
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end() - 1, position);
    return std::clamp<qsizetype>(qsizetype(after - m_starts.begin()) - 1, 0, count() - 1);
}

QString LineStore::joinedWithCrLf(qsizetype first, qsizetype end) const {
    QString joined;
    joined.reserve(charactersIn(first, end - 1) + 2 * (end - first));
    for (qsizetype row = first; row < end; ++row) {
        joined += line(row);
        joined += u"\r\n";
    }
    // The editor holds UTF-8, which has no code for a lone surrogate: it gets U+FFFD here, the form the
    // save knows the line by, rather than the '?' the conversion would make of it.
    return replaceLoneSurrogates(std::move(joined));
}

template <typename Piece> bool LineStore::forEachUtf8Piece(Piece piece) const {
    // Whole lines a piece: a surrogate pair never spans a break, so none is cut in two.
    constexpr qsizetype PieceUnits = 64 * 1024;
    for (qsizetype first = 0; first < count();) {
        qsizetype end = first;
        for (qsizetype units = 0; end < count() && units < PieceUnits; ++end)
            units += charactersIn(end, end) + 2;
        if (!piece(joinedWithCrLf(first, end).toUtf8()))
            return false;
        first = end;
    }
    return true;
}

QByteArray LineStore::utf8WithCrLf() const {
    QByteArray bytes;
    bytes.reserve(lengthWithCrLf());
    forEachUtf8Piece([&bytes](const QByteArray& piece) {
        bytes += piece;
        return true;
    });
    return bytes;
}

bool LineStore::isUtf8WithCrLf(QByteArrayView utf8) const {
    qsizetype at = 0;
    return forEachUtf8Piece([&](const QByteArray& piece) {
               const bool same = utf8.sliced(at).startsWith(piece);
               at += piece.size();
               return same;
           }) &&
           at == utf8.size();
}

} // namespace kopix
