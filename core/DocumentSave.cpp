#include "core/DocumentSave.h"

#include "core/FileSystem.h"
#include "core/FileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

namespace kopix {

namespace {

bool isUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
}

// Where the line breaks are (CR LF, LF or CR, as reading cuts lines) in `end` units, `at` giving each:
// each line's [from, to), up to the first NUL. nulAt is where that NUL is, or -1.
struct LineCuts {
    std::vector<std::pair<qsizetype, qsizetype>> lines;
    qsizetype nulAt = -1;
};

template <typename At> LineCuts cutLines(qsizetype end, qsizetype size, int unit, At at) {
    LineCuts cuts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < end; i += unit) {
        const char16_t ch = at(i);
        if (ch == 0) {
            cuts.lines.emplace_back(start, i);
            cuts.nulAt = i;
            return cuts;
        }
        if (ch != u'\r' && ch != u'\n')
            continue;
        cuts.lines.emplace_back(start, i);
        if (ch == u'\r' && i + unit < end && at(i + unit) == u'\n')
            i += unit;
        start = i + unit;
    }
    if (start < size)
        cuts.lines.emplace_back(start, size);
    return cuts;
}

// One line of the file on disk: where its bytes are (without the break), and where the text they decode
// to is, as the editor shows it (a lone surrogate of UTF-16 is U+FFFD there): by that text a line the
// user left alone is known.
struct OriginalLine {
    qsizetype bytesFrom = 0;
    qsizetype bytesTo = 0;
    qsizetype textFrom = 0;
    qsizetype textTo = 0;
    qint32 nextSame = -1; // the next line with the same text, in file order (once the table is made)
    bool clean = true;
    bool matchable = true; // its bytes may stand for its text
    bool used = false;
};

// The file on disk cut into lines, with their texts in one string, and the lines of a text found without
// an allocation per line, so that a million lines cost little more than reading them.
class OriginalFile {
public:
    OriginalFile() = default;
    OriginalFile(QByteArrayView file, TextEncoding encoding, const LegacyCodePage& legacy);

    std::vector<OriginalLine> lines;
    // The bytes from the first NUL on, which no editor ever showed; the line before the NUL is the last.
    std::optional<QByteArrayView> hiddenTail;

    QByteArrayView bytesOf(const OriginalLine& line) const {
        return m_body.sliced(line.bytesFrom, line.bytesTo - line.bytesFrom);
    }
    QStringView textOf(const OriginalLine& line) const {
        return QStringView(m_text).sliced(line.textFrom, line.textTo - line.textFrom);
    }
    // The earliest line with this text not used yet, now used; -1 when there is none. Asked for the
    // editor's lines in order, as a save does.
    qsizetype take(QStringView text);

private:
    // Each text's first line, last line and the first one that may still be unused.
    struct Slot {
        qint32 first = -1;
        qint32 last = -1;
        qint32 next = -1;
    };
    bool isFree(qsizetype index, QStringView text) const {
        const OriginalLine& line = lines[size_t(index)];
        return line.matchable && !line.used && line.textTo - line.textFrom == text.size() &&
               textOf(line) == text;
    }
    qsizetype use(qsizetype index);
    qsizetype takeFromTable(QStringView text);
    void makeTable();
    Slot& slotFor(QStringView text);
    void decodeLines(const LineCuts& byteCuts, TextEncoding encoding, const LegacyCodePage& legacy);

    QByteArrayView m_body;
    QString m_text;
    int m_unit = 1;
    // Most of an edited file is as it was, in the same order: the editor's lines are looked for at the
    // line after the last one taken (the cursor), and only where that fails, in the whole file. Lines
    // the cursor passed over unused are remembered, as an earlier line of the same text comes first.
    // Once many lines were looked for in the whole file, a table of the lines by text takes over.
    qsizetype m_cursor = 0;
    std::vector<qsizetype> m_passedOver;
    int m_searches = 0;
    std::vector<Slot> m_slots;
};

OriginalFile::OriginalFile(QByteArrayView file, TextEncoding encoding, const LegacyCodePage& legacy) {
    QByteArrayView body(file);
    const QByteArrayView signature = signatureOf(encoding);
    if (body.startsWith(signature))
        body = body.sliced(signature.size());
    m_body = body;
    m_unit = isUtf16(encoding) ? 2 : 1;
    const bool bigEndian = encoding == TextEncoding::Utf16BE;
    const auto at = [&body, this, bigEndian](qsizetype i) -> char16_t {
        const auto byte = [&body](qsizetype k) { return char16_t(static_cast<uchar>(body[k])); };
        if (m_unit == 1)
            return byte(i);
        return bigEndian ? char16_t(byte(i) << 8 | byte(i + 1)) : char16_t(byte(i) | byte(i + 1) << 8);
    };
    const LineCuts byteCuts = cutLines(body.size() - body.size() % m_unit, body.size(), m_unit, at);
    if (byteCuts.nulAt >= 0)
        hiddenTail = body.sliced(byteCuts.nulAt);
    decodeLines(byteCuts, encoding, legacy);

    // A UTF-16 file that ends in half a unit: those bytes copied back would put every unit after them out
    // of step. That line is encoded anew, and as it did not read cleanly, the user is asked.
    for (OriginalLine& line : lines) {
        if ((line.bytesTo - line.bytesFrom) % m_unit != 0)
            line.clean = line.matchable = false;
    }
}

// Every line's text as decoding that line alone gives it. A file that decodes cleanly is decoded at once,
// as reading does, and cut where the bytes are cut: every byte sequence has its own character there, and
// the breaks are characters of their own. Otherwise (a broken character may have taken a line break with
// it, and only decoding a line alone tells whether that line is clean) each line is decoded alone.
void OriginalFile::decodeLines(const LineCuts& byteCuts, TextEncoding encoding,
                               const LegacyCodePage& legacy) {
    const qsizetype decodedEnd = byteCuts.nulAt >= 0 ? byteCuts.nulAt : m_body.size();
    bool clean = true;
    m_text = replaceLoneSurrogates(decodeAs(m_body.first(decodedEnd), encoding, legacy, &clean));
    const QStringView text(m_text);
    const LineCuts textCuts =
        cutLines(text.size(), text.size(), 1, [&text](qsizetype i) { return text[i].unicode(); });
    const bool whole = clean && textCuts.lines.size() == byteCuts.lines.size();
    if (!whole)
        m_text.clear();
    lines.resize(byteCuts.lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        OriginalLine& line = lines[i];
        std::tie(line.bytesFrom, line.bytesTo) = byteCuts.lines[i];
        if (whole) {
            std::tie(line.textFrom, line.textTo) = textCuts.lines[i];
            continue;
        }
        line.textFrom = m_text.size();
        m_text += replaceLoneSurrogates(decodeAs(bytesOf(line), encoding, legacy, &line.clean));
        line.textTo = m_text.size();
    }
}

qsizetype OriginalFile::use(qsizetype index) {
    lines[size_t(index)].used = true;
    return index;
}

qsizetype OriginalFile::take(QStringView text) {
    // A look through the whole file costs a pass over it; beyond this many, the table costs less.
    constexpr int MaxSearches = 8;
    constexpr size_t MaxPassedOver = 64;
    if (!m_slots.empty())
        return takeFromTable(text);
    const qsizetype count = qsizetype(lines.size());
    const bool passedOverHasIt = std::any_of(m_passedOver.cbegin(), m_passedOver.cend(),
                                             [this, text](qsizetype index) { return isFree(index, text); });
    if (!passedOverHasIt && m_cursor < count && isFree(m_cursor, text))
        return use(m_cursor++);
    if (++m_searches > MaxSearches || m_passedOver.size() > MaxPassedOver) {
        makeTable();
        return takeFromTable(text);
    }
    for (qsizetype index = 0; index < count; ++index) {
        if (!isFree(index, text))
            continue;
        // In step with the file again after it.
        for (; m_cursor < index; ++m_cursor) {
            if (!lines[size_t(m_cursor)].used)
                m_passedOver.push_back(m_cursor);
        }
        m_cursor = std::max(m_cursor, index + 1);
        return use(index);
    }
    return -1;
}

void OriginalFile::makeTable() {
    size_t slots = 16;
    while (slots < 2 * lines.size())
        slots *= 2;
    m_slots.assign(slots, Slot());
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const OriginalLine& line = lines[size_t(i)];
        if (!line.matchable || line.used)
            continue;
        Slot& slot = slotFor(textOf(line));
        if (slot.first < 0)
            slot.first = slot.next = qint32(i);
        else
            lines[size_t(slot.last)].nextSame = qint32(i);
        slot.last = qint32(i);
    }
}

OriginalFile::Slot& OriginalFile::slotFor(QStringView text) {
    const size_t mask = m_slots.size() - 1;
    for (size_t i = qHash(text) & mask;; i = (i + 1) & mask) {
        Slot& slot = m_slots[i];
        if (slot.first < 0 || textOf(lines[size_t(slot.first)]) == text)
            return slot;
    }
}

qsizetype OriginalFile::takeFromTable(QStringView text) {
    Slot& slot = slotFor(text);
    qint32 index = slot.next;
    while (index >= 0 && lines[size_t(index)].used)
        index = lines[size_t(index)].nextSame;
    if (index < 0) {
        slot.next = -1;
        return -1;
    }
    slot.next = lines[size_t(index)].nextSame;
    return use(index);
}

// Where the row holding the NUL (its text before the NUL is `row`) starts in the editor's text, when the
// user left it as it was loaded and as the last line: `row` and its break, or `row` alone when the final
// break was deleted. A row with nothing before the NUL was never shown: the text must end at a line start.
// -1 when the row was changed or deleted, or lines follow it.
qsizetype hiddenRowStart(QStringView text, QStringView row) {
    QStringView rest = text;
    if (!row.isEmpty() && rest.endsWith(u"\r\n"))
        rest.chop(2);
    const qsizetype start = rest.size() - row.size();
    if (!rest.endsWith(row) || (start > 0 && !rest.first(start).endsWith(u"\r\n")))
        return -1;
    return start;
}

// Whether bytes that encode text read back as exactly that text: a Unicode encoding, no NUL, no half
// surrogate pair, and no UTF-8 text that begins with U+FEFF, which would read back as a signature.
bool readsBackAsText(QStringView text, TextEncoding encoding) {
    return encoding != TextEncoding::Legacy && !text.contains(QChar(0)) && !hasLoneSurrogate(text) &&
           !(encoding == TextEncoding::Utf8 && text.startsWith(QChar(0xFEFF)));
}

} // namespace

std::optional<CorrectionSave> planPlainCorrectionSave(QStringView text, TextEncoding encoding,
                                                      bool loadedCleanly,
                                                      std::optional<QByteArrayView> textAsUtf8) {
    if (encoding == TextEncoding::Legacy || !loadedCleanly)
        return std::nullopt;
    CorrectionSave save;
    // Bytes the text was decoded from encode it again exactly, unless a replacement character came out of
    // them (an invalid sequence, or a U+FFFD: then the text is encoded).
    const bool utf8 = encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf8WithSignature;
    if (utf8 && textAsUtf8 && !text.contains(QChar::ReplacementCharacter))
        save.bytes = signatureOf(encoding).toByteArray() + *textAsUtf8;
    else
        save.bytes = *encodeText(text, encoding);
    save.readsBackAsText = readsBackAsText(text, encoding);
    return save;
}

CorrectionSave planCorrectionSave(QStringView text, TextEncoding encoding,
                                  const std::optional<QByteArray>& file, TextEncoding readAs,
                                  bool decodedCleanly, const LegacyCodePage& legacy) {
    CorrectionSave save;
    OriginalFile original;
    if (file)
        original = OriginalFile(*file, readAs, legacy);
    // Bytes of another encoding are never copied into this one.
    const bool reuse = readAs == encoding;
    // What follows a NUL goes back behind its row as long as that row stays as it was, the last one; the
    // row keeps its own bytes, no earlier line may take them.
    const qsizetype nulRowStart =
        reuse && original.hiddenTail ? hiddenRowStart(text, original.textOf(original.lines.back())) : -1;
    if (nulRowStart >= 0)
        original.lines.back().used = true;
    const QStringView lines = nulRowStart >= 0 ? text.first(nulRowStart) : text;

    QByteArray body;
    body.reserve(file ? file->size() + file->size() / 8 : text.size() * 3);
    const std::optional<QByteArray> lineBreak = encodeText(u"\r\n", encoding, legacy);
    const QByteArray crLf = lineBreak->sliced(signatureOf(encoding).size());
    qsizetype from = 0;
    bool keepsUndecodable = false;
    for (;;) {
        const qsizetype breakAt = lines.indexOf(u"\r\n", from);
        const QStringView line = lines.sliced(from, (breakAt < 0 ? lines.size() : breakAt) - from);
        // The same text as a line of the file: its bytes as they are, the earliest unused one first.
        const qsizetype pick = reuse ? original.take(line) : -1;
        if (pick >= 0) {
            keepsUndecodable = keepsUndecodable || !original.lines[size_t(pick)].clean;
            body += original.bytesOf(original.lines[size_t(pick)]);
        } else if (!line.isEmpty()) {
            qsizetype failedAt = -1;
            const std::optional<QByteArray> encoded = encodeText(line, encoding, legacy, &failedAt);
            if (!encoded) {
                save.unrepresentable = from + failedAt;
                return save;
            }
            body += encoded->sliced(signatureOf(encoding).size());
        }
        if (breakAt < 0)
            break;
        body += crLf;
        from = breakAt + 2;
    }

    if (nulRowStart >= 0) {
        body += original.bytesOf(original.lines.back());
        body += *original.hiddenTail;
    }

    if (file) {
        save.dropsHiddenTail = original.hiddenTail && nulRowStart < 0;
        for (const OriginalLine& line : original.lines)
            save.losesUnreadable = save.losesUnreadable || (!line.clean && !line.used);
    } else {
        save.losesUnreadable = !decodedCleanly;
    }
    save.readsBackAsText = nulRowStart < 0 && !keepsUndecodable && readsBackAsText(text, encoding);
    save.bytes = signatureOf(encoding).toByteArray() + body;
    return save;
}

QString recoveryCopyPath(const QString& folder, const QString& documentPath, const QDateTime& when) {
    return unusedFilePath(folder, QFileInfo(documentPath).completeBaseName(), QStringLiteral("訂正"), when,
                          QStringLiteral(".txt"));
}

} // namespace kopix
