#include "core/HelpPages.h"

#include "core/FileSystem.h"

#include <QDir>

namespace kopix {

QStringList helpFolders(const QString& programFolder) {
    return {QDir::cleanPath(programFolder + QStringLiteral("/help")),
            QDir::cleanPath(programFolder + QStringLiteral("/../share/kopix/help"))};
}

QString helpPage(const QString& programFolder, int context) {
    for (const QString& folder : helpFolders(programFolder)) {
        for (const QString& name : {QStringLiteral("%1.html").arg(context), QStringLiteral("index.html")}) {
            if (const QString page = folder + u'/' + name; fileExists(page))
                return page;
        }
    }
    return QString();
}

} // namespace kopix
