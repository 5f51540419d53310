#pragma once

#include <QString>
#include <QStringView>

namespace kopix {

// What a row of the list draws of its line: the line as it is, with two differences nobody can see. It
// is cut after maxUnits code units (the caller passes the row's width in pixels, and every character that
// shows takes at least one; a character outside the basic plane is not cut in half), so drawing a row
// costs the same however long its line. And a tab is drawn as one blank: rows do not expand tabs.
QString rowDrawText(QStringView line, qsizetype maxUnits);

} // namespace kopix
