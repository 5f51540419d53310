#pragma once

#include <QByteArray>

namespace kopix {

// Tells the desktop that the start under this startup ID (DESKTOP_STARTUP_ID, "" for none) is over, for a
// start that ends without a window of its own: it handed its document to the Kopix already running, whose
// window comes forward instead. Without it the launcher's feedback would go on until it gives up.
void endStartupFeedback(const QByteArray& startupId);

} // namespace kopix
