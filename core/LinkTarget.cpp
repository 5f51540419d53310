#include "core/LinkTarget.h"

namespace kopix {

bool isLinkRow(QStringView row) {
    return row.startsWith(u"http", Qt::CaseSensitive);
}

QString launchTarget(QStringView row) {
    if (row.size() > LinkTargetLimit)
        return QString();
    return row.toString();
}

namespace {

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// The address with every % that starts no escape written as %25. QUrl's tolerant parsing, on meeting one
// such %, would take every % of the address for a plain character and escape the escapes too.
QString withLonePercentsEscaped(const QString& target) {
    QString escaped;
    escaped.reserve(target.size());
    for (qsizetype i = 0; i < target.size(); ++i) {
        escaped.append(target[i]);
        if (target[i] == u'%' &&
            !(i + 2 < target.size() && isHexDigit(target[i + 1]) && isHexDigit(target[i + 2])))
            escaped.append(QStringLiteral("25"));
    }
    return escaped;
}

} // namespace

std::optional<QUrl> browsableUrl(const QString& target) {
    if (target.isEmpty())
        return std::nullopt;
    const QUrl url(withLonePercentsEscaped(target), QUrl::TolerantMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (scheme != u"http" && scheme != u"https")
        return std::nullopt;
    return url;
}

} // namespace kopix
