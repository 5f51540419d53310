#pragma once

#include <QtGlobal>

#include <optional>

struct _XDisplay;
struct xcb_connection_t;

namespace kopix {

// The application's own X connection, as Xlib and XCB reach it, with the screen's root window.
struct X11Connection {
    _XDisplay* display = nullptr;
    xcb_connection_t* connection = nullptr;
    quint32 root = 0;
};

// Nothing without an X display (the offscreen platform, a Wayland session without XWayland).
std::optional<X11Connection> applicationX11Connection();

} // namespace kopix
