#include "platform/X11StartupNotification.h"

#include "core/StartupNotification.h"
#include "platform/X11Connection.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cstring>

namespace kopix {

void endStartupFeedback(const QByteArray& startupId) {
    const std::optional<X11Connection> x11 = applicationX11Connection();
    if (!x11 || startupId.isEmpty())
        return;
    Display* display = x11->display;
    const QByteArray message = startupRemoveMessage(startupId);
    const Window root = x11->root;
    const Atom begin = XInternAtom(display, "_NET_STARTUP_INFO_BEGIN", False);
    const Atom more = XInternAtom(display, "_NET_STARTUP_INFO", False);
    // To the root window in pieces of 20 bytes, the first marked as the beginning, the last padded with NULs.
    constexpr qsizetype Piece = 20;
    for (qsizetype at = 0; at < message.size(); at += Piece) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = root;
        event.xclient.message_type = at == 0 ? begin : more;
        event.xclient.format = 8;
        std::memcpy(event.xclient.data.b, message.constData() + at,
                    size_t(std::min(Piece, message.size() - at)));
        XSendEvent(display, root, False, PropertyChangeMask, &event);
    }
    // Sent before the program ends.
    XSync(display, False);
}

} // namespace kopix
