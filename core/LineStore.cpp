#include "core/LineStore.h"

#include "core/TextCodec.h"

#include <algorithm>

namespace kopix {

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
        qsizetype end = read;
        while (end < size && data[end] != u'\r' && data[end] != u'\n')
            ++end;
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

QString LineStore::joinedWithCrLf() const {
    QString joined;
    joined.reserve(textLength() + 2 * count());
    for (qsizetype row = 0; row < count(); ++row) {
        joined += line(row);
        joined += u"\r\n";
    }
    // The editor holds UTF-8, which has no code for a lone surrogate: it gets U+FFFD here, the form the
    // save knows the line by, rather than the '?' the conversion would make of it.
    return replaceLoneSurrogates(std::move(joined));
}

} // namespace kopix
