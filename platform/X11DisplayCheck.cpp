#include "platform/X11DisplayCheck.h"

#include <X11/Xlib.h>

#include <cstring>

namespace kopix {

std::optional<QByteArray> unreachableX11Display(int argc, char** argv) {
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    QByteArray display = qgetenv("DISPLAY");
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0)
            platform = argv[i + 1];
        else if (std::strcmp(argv[i], "-display") == 0)
            display = argv[i + 1];
    }
    // "xcb", or "xcb:..." with options; a list such as "wayland;xcb" is Qt's to try in turn.
    if (!platform.isEmpty() && platform != "xcb" && !platform.startsWith("xcb:"))
        return std::nullopt;
    if (display.isEmpty())
        return display;
    Display* connection = XOpenDisplay(display.constData());
    if (!connection)
        return display;
    XCloseDisplay(connection);
    return std::nullopt;
}

} // namespace kopix
