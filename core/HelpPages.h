#pragma once

#include <QString>
#include <QStringList>

namespace kopix {

// The folders a copy of Kopix in the program folder keeps its help pages in: beside the executable, and
// with an installed copy's data (../share/kopix/help).
QStringList helpFolders(const QString& programFolder);

// The help page for a context number: its own page where there is one, else the contents page, in the
// first folder that has either; "" when there is none at all.
QString helpPage(const QString& programFolder, int context);

} // namespace kopix
