#include "core/ProfileInt.h"

namespace kopix {

namespace {

int hexDigit(QChar ch) {
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace

qint32 parseProfileInt(QStringView text, qint32 defaultValue) {
    QString source = text.toString();
    if (source.size() >= 3 && source[0] == u'0' && (source[1] == u'x' || source[1] == u'X'))
        source.replace(0, 2, u'$');

    qsizetype i = 0;
    while (i < source.size() && source[i] == u' ')
        ++i;
    bool negative = false;
    if (i < source.size() && (source[i] == u'+' || source[i] == u'-')) {
        negative = source[i] == u'-';
        ++i;
    }

    int base = 10;
    if (i < source.size() && (source[i] == u'$' || source[i] == u'x' || source[i] == u'X')) {
        base = 16;
        i += 1;
    } else if (i + 1 < source.size() && source[i] == u'0' &&
               (source[i + 1] == u'x' || source[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == source.size())
        return defaultValue; // nothing, a sign alone or a prefix without digits

    // Decimal may reach 2147483648 when negative; hexadecimal any 32-bit pattern.
    const quint64 limit = base == 16 ? 0xFFFFFFFFULL : (negative ? 0x80000000ULL : 0x7FFFFFFFULL);
    quint64 magnitude = 0;
    for (; i < source.size(); ++i) {
        const int digit = hexDigit(source[i]);
        if (digit < 0 || digit >= base)
            return defaultValue;
        magnitude = magnitude * static_cast<quint64>(base) + static_cast<quint64>(digit);
        if (magnitude > limit)
            return defaultValue;
    }
    // Two's complement on the 32-bit pattern: $FFFFFFFF is -1 and -$80000000 stays -2147483648.
    auto pattern = static_cast<quint32>(magnitude);
    if (negative)
        pattern = 0U - pattern;
    return static_cast<qint32>(pattern);
}

qint32 readProfileInt(const ProfileFile& file, QStringView section, QStringView key, qint32 defaultValue) {
    return parseProfileInt(file.readString(section, key, u""), defaultValue);
}

QString profileIntText(qint32 value) {
    return QString::number(value);
}

} // namespace kopix
