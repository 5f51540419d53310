#pragma once

#include <QMargins>

#include <optional>

struct _XDisplay;

namespace kopix {

// The frame a window manager will put around a window that is not mapped yet. The window manager is
// asked (_NET_REQUEST_FRAME_EXTENTS) and answers by setting _NET_FRAME_EXTENTS on the window, usually
// within a millisecond; this waits at most timeoutMs for it. Nothing when no window manager that
// answers such requests runs, or it does not answer in time.
std::optional<QMargins> requestFrameExtents(_XDisplay* display, unsigned long window, int timeoutMs);

} // namespace kopix
