#include "core/ProfileFile.h"

#include "core/FileSystem.h"
#include "core/FileWriter.h"
#include "core/LegacyCodePage.h"
#include "core/PathBytes.h"

#include <QStringList>

#include <cerrno>
#include <limits>

namespace kopix {

namespace {

// What Windows trims around lines, names and values. Not U+3000 or U+00A0: a value may start with an
// ideographic space on purpose.
bool isTrimChar(QChar ch) {
    const char16_t c = ch.unicode();
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == 0x1A;
}

QStringView trimmed(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimChar(text[begin]))
        ++begin;
    while (end > begin && isTrimChar(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QStringView trimmedEnd(QStringView text) {
    qsizetype end = text.size();
    while (end > 0 && isTrimChar(text[end - 1]))
        --end;
    return text.first(end);
}

// One pair of the same quote around the whole value goes.
QStringView unquoted(QStringView value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

QString limited(QStringView value, qsizetype maxLength = ProfileFile::MaxValueLength) {
    return value.first(qMin(value.size(), maxLength)).toString();
}

// Names match ignoring the case of ASCII letters only, as Windows does ("É" and "é" differ).
bool sameName(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= u'A' && x <= u'Z')
            x += u'a' - u'A';
        if (y >= u'A' && y <= u'Z')
            y += u'a' - u'A';
        if (x != y)
            return false;
    }
    return true;
}

struct LineParts {
    enum class Kind { Blank, Header, Entry };
    Kind kind = Kind::Blank;
    QStringView name;         // section name or key, trimmed
    bool hasValue = false;    // an entry with '='
    QStringView value;        // trimmed, quotes still on
    qsizetype valueStart = 0; // where in the line's text a new value goes (after '=' and its blanks)
    qsizetype keyEnd = 0;     // where in the line's text the key of an entry without '=' ends
};

LineParts parseLine(QStringView text) {
    LineParts parts;
    if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0)
        text = text.first(nul); // the value ends at a NUL; the rest of the line is not read
    const QStringView line = trimmed(text);
    if (line.isEmpty())
        return parts;
    if (line.front() == u'[') {
        // A header's name runs to the last ']'; a '[' line without one is an ordinary line.
        if (const qsizetype close = line.lastIndexOf(u']'); close > 0) {
            parts.kind = LineParts::Kind::Header;
            parts.name = trimmed(line.sliced(1, close - 1));
            return parts;
        }
    }
    parts.kind = LineParts::Kind::Entry;
    const qsizetype offset = line.data() - text.data();
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0) {
        parts.name = line;
        parts.keyEnd = offset + line.size();
        return parts;
    }
    parts.name = trimmed(line.first(equals));
    parts.hasValue = true;
    parts.value = trimmed(line.sliced(equals + 1));
    parts.valueStart = parts.value.isEmpty() ? offset + equals + 1 : parts.value.data() - text.data();
    return parts;
}

// Characters that would end the line in the file become spaces.
QString withoutLineEnds(QStringView text) {
    QString result = text.toString();
    for (QChar& ch : result)
        if (ch == u'\r' || ch == u'\n' || ch == QChar(0))
            ch = u' ';
    return result;
}

QString cleanName(QStringView name) {
    return trimmed(withoutLineEnds(name)).toString();
}

// A key with '=' would read back shorter, and "[x]" would become a section header.
bool isWritableKey(QStringView key) {
    return !key.contains(u'=') && !(key.startsWith(u'[') && key.contains(u']'));
}

// The text to put after '=' so that reading gives exactly *readBack.
QString storedValue(QStringView value, QString* readBack) {
    *readBack = withoutLineEnds(value);
    const QString& plain = *readBack;
    const bool needsQuotes = !plain.isEmpty() && (isTrimChar(plain.front()) || isTrimChar(plain.back()) ||
                                                  unquoted(plain).size() != plain.size());
    return needsQuotes ? QString(u'"' + plain + u'"') : plain;
}

bool isUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
}

QByteArray encodeBody(QStringView text, TextEncoding encoding, qsizetype* failedAt = nullptr) {
    const std::optional<QByteArray> bytes = encodeText(text, encoding, LegacyCodePage::system(), failedAt);
    if (!bytes)
        return {};
    return bytes->sliced(signatureOf(encoding).size());
}

} // namespace

ProfileFile::ProfileFile() = default;

ProfileFile ProfileFile::fromBytes(const QByteArray& bytes) {
    ProfileFile file;
    file.m_exists = true;
    file.m_encoding = decodeText(bytes).encoding;

    QByteArray body = bytes.sliced(signatureOf(file.m_encoding).size());
    const int unit = isUtf16(file.m_encoding) ? 2 : 1;
    const bool bigEndian = file.m_encoding == TextEncoding::Utf16BE;
    if (body.size() % unit != 0) {
        // A stray last byte of UTF-16 would shift everything written after it by one byte: it is
        // kept as the replacement character that reading shows for it.
        body.chop(1);
        body += encodeBody(QStringView(u"\uFFFD"), file.m_encoding);
    }
    const auto unitAt = [&](qsizetype i) -> char16_t {
        const auto byte = [&](qsizetype k) { return static_cast<char16_t>(static_cast<uchar>(body[k])); };
        if (unit == 1)
            return byte(i);
        return bigEndian ? static_cast<char16_t>(byte(i) << 8 | byte(i + 1))
                         : static_cast<char16_t>(byte(i) | byte(i + 1) << 8);
    };

    // Lines are found on the bytes, before decoding, so that untouched lines keep their exact bytes.
    bool breakStyleFound = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < body.size(); i += unit) {
        const char16_t ch = unitAt(i);
        if (ch != u'\r' && ch != u'\n')
            continue;
        const bool crLf = ch == u'\r' && i + unit < body.size() && unitAt(i + unit) == u'\n';
        const qsizetype breakLength = crLf ? 2 * unit : unit;
        Line line;
        line.raw = body.sliced(start, i - start);
        line.lineBreak = body.sliced(i, breakLength);
        line.text = decodeAs(line.raw, file.m_encoding);
        file.m_lines.push_back(std::move(line));
        if (!breakStyleFound) {
            file.m_lineBreak = crLf ? QStringLiteral("\r\n") : QString(QChar(ch));
            breakStyleFound = true;
        }
        i += breakLength - unit;
        start = i + unit;
    }
    if (start < body.size()) {
        Line last;
        last.raw = body.sliced(start);
        last.text = decodeAs(last.raw, file.m_encoding);
        file.m_lines.push_back(std::move(last));
    }
    return file;
}

ProfileFile ProfileFile::load(const QString& path) {
    if (!pathExists(path))
        return {};
    // A settings file that is a pipe, a device or huge was not written by Kopix: it is not read (reading
    // might never end) and, as it could not be read, never replaced.
    FileBytes file = readRegularFile(path, SettingsFileSizeLimit);
    if (!file.bytes) {
        ProfileFile unreadable;
        unreadable.m_unreadablePath = path;
        unreadable.m_readError = file.errorText;
        return unreadable;
    }
    return fromBytes(*file.bytes);
}

QString ProfileFile::readError() const {
    return m_readError;
}

bool ProfileFile::exists() const {
    return m_exists;
}

TextEncoding ProfileFile::encoding() const {
    return m_encoding;
}

std::optional<ProfileFile::SectionSpan> ProfileFile::findSection(QStringView name) const {
    // The lines before the first header form a section named "" that comes before every other one,
    // so a later "[]" never wins. Of several sections with the same name the first one counts.
    qsizetype header = -1;
    bool matches = name.isEmpty();
    const auto count = static_cast<qsizetype>(m_lines.size());
    for (qsizetype i = 0; i < count; ++i) {
        const LineParts parts = parseLine(m_lines[i].text);
        if (parts.kind != LineParts::Kind::Header)
            continue;
        if (matches)
            return SectionSpan{header, i};
        header = i;
        matches = sameName(parts.name, name);
    }
    if (matches)
        return SectionSpan{header, count};
    return std::nullopt;
}

qsizetype ProfileFile::findKey(const SectionSpan& section, QStringView key) const {
    for (qsizetype i = section.header + 1; i < section.end; ++i) {
        const LineParts parts = parseLine(m_lines[i].text);
        // A key without '=' counts too: it has no value and hides a later line with the same key.
        if (parts.kind == LineParts::Kind::Entry && sameName(parts.name, key))
            return i;
    }
    return -1;
}

QString ProfileFile::readString(QStringView section, QStringView key, QStringView defaultValue) const {
    return read(section, key, defaultValue, MaxValueLength);
}

QString ProfileFile::readPath(QStringView section, QStringView key) const {
    return pathFromStoredText(read(section, key, u"", std::numeric_limits<qsizetype>::max()));
}

void ProfileFile::writePath(QStringView section, QStringView key, QStringView path) {
    writeString(section, key, storedPathText(path));
}

QString ProfileFile::read(QStringView section, QStringView key, QStringView defaultValue,
                          qsizetype maxLength) const {
    if (const std::optional<SectionSpan> span = findSection(trimmed(section))) {
        if (const qsizetype at = findKey(*span, trimmed(key)); at >= 0) {
            const LineParts parts = parseLine(m_lines[at].text);
            if (parts.hasValue)
                return limited(unquoted(parts.value), maxLength);
        }
    }
    // The default loses trailing blanks (its leading ones stay) and one pair of quotes, as a value does.
    return limited(unquoted(trimmedEnd(defaultValue)), maxLength);
}

void ProfileFile::writeString(QStringView section, QStringView key, QStringView value) {
    const QString sectionName = cleanName(section);
    const QString keyName = cleanName(key);
    if (!isWritableKey(keyName))
        return; // it could never be read back; writing it would only damage the file
    QString readBack;
    const QString stored = storedValue(value, &readBack);
    const QString entry = keyName + u'=' + stored;

    const std::optional<SectionSpan> span = findSection(sectionName);
    if (!span) {
        insertLines(static_cast<qsizetype>(m_lines.size()), {u'[' + sectionName + u']', entry});
    } else if (const qsizetype at = findKey(*span, keyName); at >= 0) {
        const Line& line = m_lines[at];
        const LineParts parts = parseLine(line.text);
        if (parts.hasValue && unquoted(parts.value) == readBack)
            return;
        // Whatever stands before the value (the key as the file spells it, blanks) stays.
        const QString text = parts.hasValue ? QString(line.text.first(parts.valueStart) + stored)
                                            : QString(line.text.first(parts.keyEnd) + u'=' + stored);
        const QByteArray raw = encodeLine(text);
        m_lines[at].raw = raw;
        m_lines[at].text = text;
    } else {
        // After the section's last non-blank line, so blank lines that part it from the next one stay.
        qsizetype insertAt = span->header + 1;
        for (qsizetype i = span->header + 1; i < span->end; ++i)
            if (parseLine(m_lines[i].text).kind != LineParts::Kind::Blank)
                insertAt = i + 1;
        insertLines(insertAt, {entry});
    }
    keepReadableAsLegacy();
}

QByteArray ProfileFile::encodeLine(QStringView text) {
    if (m_encoding == TextEncoding::Legacy && !LegacyCodePage::system().encode(text))
        convertToUtf8();
    return encodeBody(text, m_encoding);
}

void ProfileFile::insertLines(qsizetype at, const QStringList& texts) {
    // Encode first: one of them may turn the whole file into UTF-8.
    for (const QString& text : texts)
        encodeLine(text);
    const QByteArray lineBreak = encodeLine(m_lineBreak);
    if (at > 0 && m_lines[at - 1].lineBreak.isEmpty())
        m_lines[at - 1].lineBreak = lineBreak; // a last line without a break gets one before new lines
    std::vector<Line> added;
    for (const QString& text : texts)
        added.push_back(Line{encodeLine(text), lineBreak, text});
    m_lines.insert(m_lines.begin() + at, added.begin(), added.end());
}

void ProfileFile::convertToUtf8() {
    // Rather than drop characters the legacy page has no code for, the whole file becomes UTF-8: every
    // line written anew from its text. Legacy pages keep ASCII, so the line breaks stay as they are.
    for (Line& line : m_lines)
        line.raw = encodeBody(line.text, TextEncoding::Utf8);
    m_encoding = TextEncoding::Utf8;
}

void ProfileFile::keepReadableAsLegacy() {
    if (m_encoding != TextEncoding::Legacy)
        return;
    // Replacing the lines that made the file invalid UTF-8 may leave bytes that are valid UTF-8; the
    // next start would then read the remaining legacy text as UTF-8 and garble it.
    const QByteArray bytes = toBytes();
    const bool allAscii =
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<uchar>(c) < 0x80; });
    if (!allAscii && decodeText(bytes).encoding != TextEncoding::Legacy)
        convertToUtf8();
}

QByteArray ProfileFile::toBytes() const {
    QByteArray bytes = signatureOf(m_encoding).toByteArray();
    for (const Line& line : m_lines)
        bytes += line.raw + line.lineBreak;
    return bytes;
}

bool ProfileFile::save(const QString& path, QString* errorText) const {
    const auto fail = [errorText](const QString& reason) {
        if (errorText)
            *errorText = reason;
        return false;
    };
    if (!m_unreadablePath.isEmpty() && pathExists(path) &&
        canonicalPath(path) == canonicalPath(m_unreadablePath))
        return fail(m_readError);
    if (folderExists(path))
        return fail(qt_error_string(EISDIR));

    // A file that already holds these bytes is left alone: no write, no new modification time, nothing
    // to wear out a memory stick at every exit.
    const QByteArray bytes = toBytes();
    if (fileExists(path) && fileSize(path) == bytes.size()) {
        const FileBytes current = readRegularFile(path, bytes.size());
        if (current.bytes == bytes)
            return true;
    }
    return writeFileSafely(path, bytes, errorText);
}

} // namespace kopix
