#pragma once

#include <QIcon>

namespace kopix {

// The pictures of the tool buttons and submenus: the desktop's icon where its theme has one, else a
// picture of our own.
QIcon menuIcon();
QIcon recentFilesIcon();
QIcon bookmarksIcon();
QIcon cutIcon();
QIcon copyIcon();
QIcon pasteIcon();

} // namespace kopix
