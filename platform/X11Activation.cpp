#include "platform/X11Activation.h"

#include <X11/Xlib.h>

namespace kopix {

void requestActivationByUser(_XDisplay* display, unsigned long window, unsigned long time) {
    if (!display || !window)
        return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;          // source: a pager, which acts for the user
    event.xclient.data.l[1] = long(time); // 0 is CurrentTime
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureNotifyMask | SubstructureRedirectMask,
               &event);
    XFlush(display);
}

} // namespace kopix
