#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

namespace kopix {

// The legacy (non-Unicode) code page used for files without a signature that are not valid UTF-8.
class LegacyCodePage {
public:
    virtual ~LegacyCodePage() = default;

    virtual QString name() const = 0; // e.g. "CP932"

    // Never fails: bytes that are invalid in this page become defined characters. *clean (when given)
    // tells whether every byte sequence had a character of its own; false when something was put in
    // the place of invalid bytes, so writing the text back would not give those bytes again.
    virtual QString decode(QByteArrayView bytes, bool* clean = nullptr) const = 0;

    // Encodes text; returns std::nullopt when some character has no code in this page (and sets
    // *firstUnrepresentable to its index in text when the pointer is given). Never substitutes '?'
    // or a look-alike: a settings value or a document line must not change behind the user's back.
    virtual std::optional<QByteArray> encode(QStringView text,
                                             qsizetype* firstUnrepresentable = nullptr) const = 0;

    // The page of this system: KOPIX_ANSI_CODEPAGE names another one (a number like "1252" or a name
    // iconv knows); unset/empty/unknown -> CP932. Built once, lives for the process.
    static const LegacyCodePage& system();

    // What system() makes of a value of KOPIX_ANSI_CODEPAGE: never null, CP932 unless the value names
    // a page byName() knows.
    static std::unique_ptr<LegacyCodePage> fromSetting(const QString& setting);

    // nullptr when unknown, and for pages that do not keep ASCII as it is (UTF-16, EBCDIC, ...): the
    // settings file and the documents are split into lines and keys on ASCII bytes.
    static std::unique_ptr<LegacyCodePage> byName(const QString& nameOrNumber);

    static std::unique_ptr<LegacyCodePage> cp932();
};

} // namespace kopix
