#include "core/DocumentSave.h"

#include "core/FileSystem.h"
#include "core/FileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>

#include <cerrno>
#include <cstring>

namespace kopix {

namespace {

bool isUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
}

// One line of the file on disk: its bytes without the break, and the text they decode to as the editor
// shows it (a lone surrogate of UTF-16 is U+FFFD there), by which a line the user left alone is known.
struct OriginalLine {
    QByteArray bytes;
    QString text;
    bool clean = true;
    bool used = false;
};

struct OriginalFile {
    QList<OriginalLine> lines;
    QHash<QString, QList<qsizetype>> byText; // the lines of each text, in file order
    // The bytes from the first NUL on, which no editor ever showed; the line before the NUL is the last.
    std::optional<QByteArray> hiddenTail;
};

// The file cut into lines the way reading does (CR LF, LF or CR), in units of its encoding.
OriginalFile splitOriginal(const QByteArray& file, TextEncoding encoding, const LegacyCodePage& legacy) {
    OriginalFile original;
    QByteArrayView body(file);
    const QByteArrayView signature = signatureOf(encoding);
    if (body.startsWith(signature))
        body = body.sliced(signature.size());
    const int unit = isUtf16(encoding) ? 2 : 1;
    const bool bigEndian = encoding == TextEncoding::Utf16BE;
    const auto at = [&](qsizetype i) -> char16_t {
        const auto byte = [&](qsizetype k) { return char16_t(static_cast<uchar>(body[k])); };
        if (unit == 1)
            return byte(i);
        return bigEndian ? char16_t(byte(i) << 8 | byte(i + 1)) : char16_t(byte(i) | byte(i + 1) << 8);
    };
    const qsizetype end = body.size() - body.size() % unit;
    qsizetype start = 0;
    const auto addLine = [&](qsizetype from, qsizetype to) {
        OriginalLine line;
        line.bytes = body.sliced(from, to - from).toByteArray();
        line.text = replaceLoneSurrogates(decodeAs(line.bytes, encoding, legacy, &line.clean));
        // A UTF-16 file that ends in half a unit: those bytes copied back would put every unit after them
        // out of step. The line is encoded anew, and as it did not read cleanly, the user is asked.
        if (line.bytes.size() % unit == 0)
            original.byText[line.text].append(original.lines.size());
        else
            line.clean = false;
        original.lines.append(std::move(line));
    };
    for (qsizetype i = 0; i < end; i += unit) {
        const char16_t ch = at(i);
        if (ch == 0) {
            addLine(start, i);
            original.hiddenTail = body.sliced(i).toByteArray();
            return original;
        }
        if (ch != u'\r' && ch != u'\n')
            continue;
        addLine(start, i);
        if (ch == u'\r' && i + unit < end && at(i + unit) == u'\n')
            i += unit;
        start = i + unit;
    }
    if (start < body.size())
        addLine(start, body.size());
    return original;
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

} // namespace

CorrectionSave planCorrectionSave(QStringView text, TextEncoding encoding,
                                  const std::optional<QByteArray>& file, TextEncoding readAs,
                                  bool decodedCleanly, const LegacyCodePage& legacy) {
    CorrectionSave save;
    OriginalFile original;
    if (file)
        original = splitOriginal(*file, readAs, legacy);
    // Bytes of another encoding are never copied into this one.
    const bool reuse = readAs == encoding;
    // What follows a NUL goes back behind its row as long as that row stays as it was, the last one; the
    // row keeps its own bytes, no earlier line may take them.
    const qsizetype nulRowStart =
        reuse && original.hiddenTail ? hiddenRowStart(text, original.lines.constLast().text) : -1;
    if (nulRowStart >= 0)
        original.lines.last().used = true;
    const QStringView lines = nulRowStart >= 0 ? text.first(nulRowStart) : text;

    QByteArray body;
    const std::optional<QByteArray> lineBreak = encodeText(u"\r\n", encoding, legacy);
    const QByteArray crLf = lineBreak->sliced(signatureOf(encoding).size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype breakAt = lines.indexOf(u"\r\n", from);
        const QStringView line = lines.sliced(from, (breakAt < 0 ? lines.size() : breakAt) - from);
        // The same text as a line of the file: its bytes as they are, the earliest unused one first.
        qsizetype pick = -1;
        if (const auto same = original.byText.constFind(line.toString());
            reuse && same != original.byText.cend()) {
            for (qsizetype index : *same) {
                if (!original.lines[index].used) {
                    pick = index;
                    break;
                }
            }
        }
        if (pick >= 0) {
            original.lines[pick].used = true;
            body += original.lines[pick].bytes;
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

    if (nulRowStart >= 0)
        body += original.lines.constLast().bytes + *original.hiddenTail;

    if (file) {
        save.dropsHiddenTail = original.hiddenTail && nulRowStart < 0;
        for (const OriginalLine& line : original.lines)
            save.losesUnreadable = save.losesUnreadable || (!line.clean && !line.used);
    } else {
        save.losesUnreadable = !decodedCleanly;
    }
    save.bytes = signatureOf(encoding).toByteArray() + body;
    return save;
}

QString recoveryCopyPath(const QString& folder, const QString& documentPath, const QDateTime& when) {
    return unusedFilePath(folder, QFileInfo(documentPath).completeBaseName(), QStringLiteral("訂正"), when,
                          QStringLiteral(".txt"));
}

} // namespace kopix
