#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <span>
#include <vector>

namespace kopix {

// The document's lines, held as one UTF-16 buffer with the line breaks taken out and an index of
// where each line starts. A million-line file costs one allocation for the text and one for the index,
// not a million strings.
class LineStore {
public:
    LineStore() = default;

    // Cuts text into lines at CR, LF and CR LF (LF followed by CR is two breaks). A break at the very end
    // makes no empty last line; an empty text gives no lines. A NUL ends the text. Takes the buffer over
    // and compacts it in place, so no second copy of the text is made.
    static LineStore fromText(QString text);
    static LineStore fromLines(const QStringList& lines);

    qsizetype count() const { return qsizetype(m_starts.size()) - 1; }
    bool isEmpty() const { return count() <= 0; }
    QStringView line(qsizetype row) const {
        const qsizetype begin = m_starts[size_t(row)];
        return QStringView(m_text).mid(begin, m_starts[size_t(row) + 1] - begin);
    }
    // Characters of rows first..last (inclusive) together, breaks not counted.
    qsizetype charactersIn(qsizetype first, qsizetype last) const {
        return m_starts[size_t(last) + 1] - m_starts[size_t(first)];
    }
    // Characters of the longest line.
    qsizetype longestLine() const;
    // Characters of all lines together, breaks not counted.
    qsizetype textLength() const { return m_starts.empty() ? 0 : m_starts.back(); }
    // Units of joinedWithCrLf(): every line with its CR LF.
    qsizetype lengthWithCrLf() const { return textLength() + 2 * count(); }
    // Every line followed by CR LF: the text the correction editor starts from.
    QString joinedWithCrLf() const { return joinedWithCrLf(0, count()); }
    // The same in UTF-8, as the editor takes it, made a piece at a time rather than from the whole text.
    QByteArray utf8WithCrLf() const;
    // Whether a text is just that, compared a piece at a time.
    bool isUtf8WithCrLf(QByteArrayView utf8) const;
    // All lines one after the other, without their breaks; line i is text().sliced(lineStart(i), ...).
    QStringView text() const { return m_text; }
    qsizetype lineStart(qsizetype row) const { return m_starts[size_t(row)]; }
    // Every line's start, then the end of the text: count() + 1 entries.
    std::span<const qsizetype> lineStarts() const { return m_starts; }
    // The line a position of text() lies in (the last line for the end of the text); -1 without lines.
    qsizetype lineAt(qsizetype position) const;

private:
    // Rows [first, end) each followed by CR LF, a lone surrogate as U+FFFD.
    QString joinedWithCrLf(qsizetype first, qsizetype end) const;
    // utf8WithCrLf() in pieces of whole lines, in order, while piece(bytes) says to go on; false when it
    // stopped.
    template <typename Piece> bool forEachUtf8Piece(Piece piece) const;

    QString m_text;
    std::vector<qsizetype> m_starts{0}; // count() + 1 entries; line i is [m_starts[i], m_starts[i+1])
};

} // namespace kopix
