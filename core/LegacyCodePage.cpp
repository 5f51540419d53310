#include "core/LegacyCodePage.h"

#include "core/Cp932Table.h"

#include <QtEndian>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <utility>
#include <vector>

namespace kopix {

namespace {

// What Windows gives for a byte pair of code page 932 that has no character: the katakana middle dot.
constexpr char16_t Cp932DefaultChar = 0x30FB;

// Code of every UTF-16 unit in code page 932 (0 = none; U+0000 itself is handled by the caller).
// Single bytes are stored as they are, pairs as lead << 8 | trail.
std::vector<quint16> buildCp932EncodeTable() {
    std::vector<quint16> table(0x10000, 0);
    for (int byte = 0; byte < 256; ++byte) {
        const char16_t ch = cp932::singleByte[byte];
        if (cp932::leadRow[byte] < 0 && ch != 0)
            table[ch] = static_cast<quint16>(byte);
    }
    // Several characters have two or three codes. The first row that holds a character gives its
    // code, in the order Windows prefers: the JIS rows, then the NEC row 13, then the IBM extensions,
    // and the NEC-selected copies of the IBM extensions last.
    std::vector<int> leads;
    for (int lead = 0x81; lead <= 0x9F; ++lead)
        if (lead != 0x87)
            leads.push_back(lead);
    for (int lead = 0xE0; lead <= 0xEC; ++lead)
        leads.push_back(lead);
    for (int lead = 0xEF; lead <= 0xF9; ++lead)
        leads.push_back(lead);
    leads.push_back(0x87);
    for (int lead = 0xFA; lead <= 0xFC; ++lead)
        leads.push_back(lead);
    leads.push_back(0xED);
    leads.push_back(0xEE);

    for (int lead : leads) {
        const auto& row = cp932::doubleByte[cp932::leadRow[lead]];
        for (int column = 0; column < cp932::TrailCount; ++column) {
            const char16_t ch = row[column];
            if (ch != 0 && table[ch] == 0)
                table[ch] = static_cast<quint16>(lead << 8 | (cp932::TrailFirst + column));
        }
    }
    return table;
}

class Cp932CodePage final : public LegacyCodePage {
public:
    QString name() const override { return QStringLiteral("CP932"); }

    QString decode(QByteArrayView bytes, bool* clean) const override {
        const auto* in = reinterpret_cast<const uchar*>(bytes.data());
        const qsizetype size = bytes.size();
        // Never more characters than bytes.
        QString text(size, Qt::Uninitialized);
        auto* const first = reinterpret_cast<char16_t*>(text.data());
        char16_t* out = first;
        qsizetype i = 0;
        // The middle dot stands for bytes without a character; a real one (81 45) is not counted here.
        bool substituted = false;
        while (i < size) {
            // Documents are mostly ASCII between the Japanese: take eight plain bytes at a time.
            while (size - i >= 8) {
                std::uint64_t chunk;
                std::memcpy(&chunk, in + i, 8);
                if (chunk & 0x8080808080808080ULL)
                    break;
                for (int k = 0; k < 8; ++k)
                    out[k] = in[i + k];
                out += 8;
                i += 8;
            }
            if (i == size)
                break;
            const uchar byte = in[i];
            if (byte < 0x80) {
                *out++ = byte;
                ++i;
                continue;
            }
            const int row = cp932::leadRow[byte];
            if (row < 0) {
                *out++ = cp932::singleByte[byte];
                ++i;
                continue;
            }
            // A lead byte takes the next byte with it, whatever it is, except a NUL (which stays a
            // character of its own) and the end of the input.
            if (i + 1 == size || in[i + 1] == 0) {
                *out++ = Cp932DefaultChar;
                substituted = true;
                ++i;
                continue;
            }
            const unsigned column = static_cast<unsigned>(in[i + 1]) - cp932::TrailFirst;
            const char16_t ch =
                column < static_cast<unsigned>(cp932::TrailCount) ? cp932::doubleByte[row][column] : 0;
            if (ch != 0) {
                *out++ = ch;
            } else {
                *out++ = Cp932DefaultChar;
                substituted = true;
            }
            i += 2;
        }
        text.truncate(out - first);
        if (clean)
            *clean = !substituted;
        return text;
    }

    std::optional<QByteArray> encode(QStringView text, qsizetype* firstUnrepresentable) const override {
        static const std::vector<quint16> table = buildCp932EncodeTable();
        QByteArray bytes;
        bytes.reserve(text.size() * 2);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t ch = text[i].unicode();
            if (ch < 0x80) {
                bytes.append(static_cast<char>(ch));
                continue;
            }
            const quint16 code = table[ch];
            if (code == 0) { // also every surrogate: code page 932 has nothing outside the BMP
                if (firstUnrepresentable)
                    *firstUnrepresentable = i;
                return std::nullopt;
            }
            if (code > 0xFF)
                bytes.append(static_cast<char>(code >> 8));
            bytes.append(static_cast<char>(code & 0xFF));
        }
        return bytes;
    }
};

// One conversion direction of glibc's iconv, closed when it goes out of scope.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (isValid())
            iconv_close(m_handle);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool isValid() const { return m_handle != reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)); }
    iconv_t get() const { return m_handle; }

private:
    iconv_t m_handle;
};

constexpr size_t IconvError = static_cast<size_t>(-1);

class IconvCodePage final : public LegacyCodePage {
public:
    IconvCodePage(QString name, QByteArray iconvName)
        : m_name(std::move(name)), m_iconvName(std::move(iconvName)) {}

    QString name() const override { return m_name; }

    QString decode(QByteArrayView bytes, bool* clean) const override {
        if (clean)
            *clean = true;
        IconvHandle converter("UTF-16LE", m_iconvName.constData());
        if (!converter.isValid()) { // checked by byName(); only a broken iconv gets here
            if (clean)
                *clean = bytes.isEmpty();
            return QString(bytes.size(), QChar::ReplacementCharacter);
        }

        QByteArray utf16(bytes.size() * 4 + 16, Qt::Uninitialized);
        char* in = const_cast<char*>(bytes.data());
        size_t inLeft = static_cast<size_t>(bytes.size());
        qsizetype written = 0;
        auto convert = [&](char** input, size_t* left) {
            for (;;) {
                char* out = utf16.data() + written;
                size_t outLeft = static_cast<size_t>(utf16.size() - written);
                const size_t result = iconv(converter.get(), input, left, &out, &outLeft);
                const int error = errno;
                written = out - utf16.data();
                if (result != IconvError || error != E2BIG)
                    return result == IconvError ? error : 0;
                utf16.resize(utf16.size() * 2);
            }
        };
        while (inLeft > 0) {
            if (convert(&in, &inLeft) == 0)
                break;
            // An invalid or cut-off sequence: one replacement character for its first byte, then go on.
            if (clean)
                *clean = false;
            if (utf16.size() - written < 2)
                utf16.resize(utf16.size() * 2);
            qToLittleEndian<char16_t>(QChar::ReplacementCharacter, utf16.data() + written);
            written += 2;
            ++in;
            --inLeft;
            iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
        }
        convert(nullptr, nullptr); // shift back to the initial state for stateful pages

        QString text(written / 2, Qt::Uninitialized);
        qFromLittleEndian<char16_t>(utf16.constData(), written / 2, text.data());
        return text;
    }

    std::optional<QByteArray> encode(QStringView text, qsizetype* firstUnrepresentable) const override {
        const auto fail = [&](qsizetype index) -> std::optional<QByteArray> {
            if (firstUnrepresentable)
                *firstUnrepresentable = index;
            return std::nullopt;
        };
        IconvHandle converter(m_iconvName.constData(), "UTF-16LE");
        if (!converter.isValid())
            return fail(0);

        QByteArray utf16(text.size() * 2, Qt::Uninitialized);
        qToLittleEndian<char16_t>(text.utf16(), text.size(), utf16.data());
        QByteArray bytes(text.size() * 4 + 16, Qt::Uninitialized);
        char* in = utf16.data();
        size_t inLeft = static_cast<size_t>(utf16.size());
        qsizetype written = 0;
        size_t irreversible = 0;
        bool flushing = false; // the last round writes what returns a stateful page to its initial state
        for (;;) {
            char* out = bytes.data() + written;
            size_t outLeft = static_cast<size_t>(bytes.size() - written);
            const size_t result = flushing ? iconv(converter.get(), nullptr, nullptr, &out, &outLeft)
                                           : iconv(converter.get(), &in, &inLeft, &out, &outLeft);
            const int error = errno;
            written = out - bytes.data();
            if (result == IconvError && error == E2BIG) {
                bytes.resize(bytes.size() * 2);
                continue;
            }
            if (result == IconvError) // no code (EILSEQ) or a lone surrogate at the end (EINVAL)
                return fail((in - utf16.constData()) / 2);
            irreversible += result;
            if (flushing)
                break;
            flushing = true;
        }
        // An irreversible conversion is a look-alike put in the character's place: refuse it too.
        if (irreversible > 0)
            return fail(firstNotRoundTripping(text));
        bytes.truncate(written);
        return bytes;
    }

private:
    qsizetype firstNotRoundTripping(QStringView text) const {
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QStringView piece = text.sliced(i, length);
            IconvHandle converter(m_iconvName.constData(), "UTF-16LE");
            QByteArray utf16(length * 2, Qt::Uninitialized);
            qToLittleEndian<char16_t>(piece.utf16(), length, utf16.data());
            char buffer[32];
            char* in = utf16.data();
            char* out = buffer;
            size_t inLeft = static_cast<size_t>(utf16.size());
            size_t outLeft = sizeof buffer;
            if (iconv(converter.get(), &in, &inLeft, &out, &outLeft) != 0)
                return i;
            i += length;
        }
        return 0;
    }

    QString m_name;
    QByteArray m_iconvName;
};

bool keepsAscii(const LegacyCodePage& page) {
    QByteArray ascii;
    for (int byte = 1; byte < 0x80; ++byte)
        ascii.append(static_cast<char>(byte));
    const QString text = page.decode(ascii);
    if (text.size() != ascii.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char byte = ascii[i];
        // Some Japanese pages put the yen sign and the overline on 0x5C and 0x7E; that is harmless.
        if (text[i] != QLatin1Char(byte) && byte != '\\' && byte != '~')
            return false;
    }
    return true;
}

} // namespace

std::unique_ptr<LegacyCodePage> LegacyCodePage::cp932() {
    return std::make_unique<Cp932CodePage>();
}

std::unique_ptr<LegacyCodePage> LegacyCodePage::byName(const QString& nameOrNumber) {
    const QString name = nameOrNumber.trimmed();
    if (name.isEmpty())
        return nullptr;
    bool isNumber = false;
    const uint number = name.toUInt(&isNumber);
    const QString display = isNumber ? QString(u"CP" % QString::number(number)) : name;

    const QString upper = display.toUpper();
    if (upper == QLatin1String("CP932") || upper == QLatin1String("MS932") ||
        upper == QLatin1String("WINDOWS-31J"))
        return cp932();

    // iconv names are ASCII; anything else cannot name a page.
    for (QChar ch : display)
        if (ch.unicode() <= 0x20 || ch.unicode() >= 0x7F)
            return nullptr;
    const QByteArray iconvName = display.toLatin1();
    if (!IconvHandle("UTF-16LE", iconvName.constData()).isValid() ||
        !IconvHandle(iconvName.constData(), "UTF-16LE").isValid())
        return nullptr;
    auto page = std::make_unique<IconvCodePage>(display, iconvName);
    if (!keepsAscii(*page))
        return nullptr;
    return page;
}

std::unique_ptr<LegacyCodePage> LegacyCodePage::fromSetting(const QString& setting) {
    if (auto page = byName(setting))
        return page;
    return cp932();
}

const LegacyCodePage& LegacyCodePage::system() {
    static const std::unique_ptr<LegacyCodePage> page =
        fromSetting(qEnvironmentVariable("KOPIX_ANSI_CODEPAGE"));
    return *page;
}

} // namespace kopix
