#pragma once

#include <QMargins>

#include <optional>

struct _XDisplay;

namespace kopix {

// The frame a window manager will put around a window that is not mapped yet. The window manager is
// asked (_NET_REQUEST_FRAME_EXTENTS) and answers by setting _NET_FRAME_EXTENTS on the window, usually
// within a millisecond or two.
//
// Asks, and returns at once; false when no window manager that answers such requests runs.
bool askFrameExtents(_XDisplay* display, unsigned long window);
// The answer to an earlier question, waiting at most timeoutMs for it; nothing when none came in time.
std::optional<QMargins> awaitFrameExtents(_XDisplay* display, unsigned long window, int timeoutMs);

} // namespace kopix
