#pragma once

#include <QByteArray>

namespace kopix {

// Startup notification (freedesktop.org): a launcher that starts a program shows feedback for it (a busy
// pointer, a bouncing icon) under an ID it passes in DESKTOP_STARTUP_ID, until the program says that the
// start is over. Qt says so when the program's first window shows; a start that shows no window of its
// own says so with this message, NUL included, as it goes to the desktop.
QByteArray startupRemoveMessage(const QByteArray& id);

} // namespace kopix
