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

std::optional<QUrl> browsableUrl(const QString& target) {
    if (target.isEmpty())
        return std::nullopt;
    const QUrl url(target, QUrl::TolerantMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (scheme != u"http" && scheme != u"https")
        return std::nullopt;
    return url;
}

} // namespace kopix
