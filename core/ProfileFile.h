#pragma once

#include "core/TextCodec.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace kopix {

// The settings file "Kopix.ini" (Windows private-profile format). Reading follows what Windows'
// GetPrivateProfileStringW does, so files written by hand or by older versions read the same; writing
// edits the file's bytes line by line so that everything the program does not own survives unchanged.
class ProfileFile {
public:
    // The longest value readString() gives back: Windows hands values back through a 2048-character
    // buffer, NUL included.
    static constexpr qsizetype MaxValueLength = 2047;

    ProfileFile(); // an empty, new file
    // The bytes of a file that exists (exists() is true).
    static ProfileFile fromBytes(const QByteArray& bytes);
    // Reads the file; a missing or unreadable file gives an empty profile with exists() == false. Only a
    // regular file of at most SettingsFileSizeLimit bytes is read.
    static ProfileFile load(const QString& path);
    bool exists() const; // true when loaded from an existing file
    // Why load() could not read the file there ("" when it could, or there was none).
    QString readError() const;

    // Lookup exactly like GetPrivateProfileStringW with a 2048-character buffer. A null defaultValue
    // behaves as "".
    QString readString(QStringView section, QStringView key, QStringView defaultValue) const;
    // The same lookup for the program's own paths (default ""), without the length limit: a path on
    // Linux may be twice as long as readString hands back. A path whose bytes are not all UTF-8 is stored
    // in a form that reads back to the same bytes (storedPathText in PathBytes.h).
    QString readPath(QStringView section, QStringView key) const;
    // Whether the file has a section of this name (matched without regard to letter case).
    bool hasSection(QStringView section) const {
        return !section.isEmpty() && findSection(section).has_value();
    }

    // Edits in memory: a changed key's line is replaced (keeping the key's spelling in the file); an
    // unchanged value leaves the line's bytes alone; a new key goes after the last line of its section;
    // a new section goes at the end. Every other byte stays as it was.
    // The value reads back as given: one that starts or ends with blanks or is itself enclosed in
    // quotes is written inside double quotes. CR, LF and NUL become spaces (a line break in a value
    // would start a new key). A value that a legacy-code-page file cannot hold makes the whole file
    // UTF-8 without signature rather than lose characters.
    void writeString(QStringView section, QStringView key, QStringView value);
    // A path, as readPath reads it back.
    void writePath(QStringView section, QStringView key, QStringView path);

    // The file's bytes: existing file keeps its encoding (signature or not) and line-break style; a new
    // file is UTF-8 without signature, CR LF.
    QByteArray toBytes() const;
    TextEncoding encoding() const;

    // Writes toBytes() to path through writeFileSafely, so a crash or a full disk never leaves a
    // half-written file, also in a folder that cannot be written. Refuses (returns false) to replace an
    // existing file that is not writable, or the file this profile was loaded from when it could not be read
    // (its content would be lost). On failure returns false, sets *errorText to the system's reason, and
    // leaves any existing file untouched.
    bool save(const QString& path, QString* errorText = nullptr) const;

private:
    struct Line {
        QByteArray raw;       // the line's bytes in the file's encoding, without its line break
        QByteArray lineBreak; // the break after it as in the file; empty only for a last line without one
        QString text;         // raw, decoded
    };
    struct SectionSpan {
        qsizetype header; // line of "[name]", -1 for the lines before the first header
        qsizetype end;    // one past its last line
    };

    QString read(QStringView section, QStringView key, QStringView defaultValue, qsizetype maxLength) const;
    std::optional<SectionSpan> findSection(QStringView name) const;
    qsizetype findKey(const SectionSpan& section, QStringView key) const;
    QByteArray encodeLine(QStringView text);
    void insertLines(qsizetype at, const QStringList& texts);
    void convertToUtf8();
    void keepReadableAsLegacy();

    std::vector<Line> m_lines;
    TextEncoding m_encoding = TextEncoding::Utf8;
    QString m_lineBreak = QStringLiteral("\r\n");
    bool m_exists = false;
    QString m_unreadablePath; // set when load() found a file there that it could not read
    QString m_readError;
};

} // namespace kopix
