#include "core/PathBytes.h"

#include <QSysInfo>
#include <QUrl>

namespace kopix {

namespace {

constexpr char16_t EscapeBase = 0xDC00; // byte b is U+DC00 + b, for b from 0x80 to 0xFF

// Whether the unit at `at` stands for a byte that is not UTF-8 (and is not the second half of a pair).
bool isEscapeAt(QStringView path, qsizetype at) {
    const char16_t unit = path[at].unicode();
    return unit >= EscapeBase + 0x80 && unit <= EscapeBase + 0xFF &&
           !(at > 0 && path[at - 1].isHighSurrogate());
}

// A path written with %XX escapes for its bytes.
QString pathOfEscapedText(QStringView text) {
    return pathFromBytes(QByteArray::fromPercentEncoding(text.toLatin1()));
}

// The length of the valid UTF-8 sequence at the start of bytes, or 0.
qsizetype validSequenceLength(QByteArrayView bytes) {
    const auto lead = quint8(bytes[0]);
    qsizetype length = 0;
    char32_t least = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        least = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    char32_t code = lead & (0x3F >> (length - 1));
    for (qsizetype i = 1; i < length; ++i) {
        const auto next = quint8(bytes[i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode are no valid UTF-8.
    if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

} // namespace

QString pathFromBytes(QByteArrayView bytes) {
    QString path;
    path.reserve(bytes.size());
    qsizetype plain = 0; // the start of the valid run not decoded yet
    for (qsizetype at = 0; at < bytes.size();) {
        if (const qsizetype length = validSequenceLength(bytes.sliced(at))) {
            at += length;
            continue;
        }
        path += QString::fromUtf8(bytes.sliced(plain, at - plain));
        path += QChar(char16_t(EscapeBase + quint8(bytes[at])));
        plain = ++at;
    }
    path += QString::fromUtf8(bytes.sliced(plain));
    return path;
}

QByteArray pathBytes(QStringView path) {
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype plain = 0;
    for (qsizetype at = 0; at < path.size(); ++at) {
        if (!isEscapeAt(path, at))
            continue;
        bytes += path.sliced(plain, at - plain).toUtf8();
        bytes += char(path[at].unicode() - EscapeBase);
        plain = at + 1;
    }
    bytes += path.sliced(plain).toUtf8();
    return bytes;
}

bool hasForeignBytes(QStringView path) {
    for (qsizetype at = 0; at < path.size(); ++at) {
        if (isEscapeAt(path, at))
            return true;
    }
    return false;
}

QString pathForDisplay(QStringView path) {
    QString shown = path.toString();
    for (qsizetype at = 0; at < shown.size(); ++at) {
        if (isEscapeAt(path, at))
            shown[at] = QChar::ReplacementCharacter;
    }
    return shown;
}

QString fileUrlText(QStringView path) {
    return QString::fromLatin1(QByteArray("file://") + pathBytes(path).toPercentEncoding("/"));
}

QString pathOfFileUrl(const QUrl& url) {
    if (!url.isLocalFile())
        return QString();
    // file://localhost/... and file://<this machine>/... name a file here; another machine's is none of ours.
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(u"localhost", Qt::CaseInsensitive) != 0 &&
        host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0)
        return QString();
    // The path as the URL escapes it, so that escaped bytes that are not UTF-8 stay as they were.
    return pathOfEscapedText(url.path(QUrl::FullyEncoded));
}

QString storedPathText(QStringView path) {
    return hasForeignBytes(path) ? fileUrlText(path) : path.toString();
}

QString pathFromStoredText(const QString& text) {
    if (!text.startsWith(u"file:///"))
        return text;
    return pathOfEscapedText(QStringView(text).sliced(7));
}

} // namespace kopix
