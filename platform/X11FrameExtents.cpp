#include "platform/X11FrameExtents.h"

#include <QElapsedTimer>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace kopix {

namespace {

// The CARDINAL or ATOM values of a 32-bit property; empty when there is none.
QList<unsigned long> longProperty(Display* display, Window window, Atom property, Atom type) {
    QList<unsigned long> values;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 1024, False, type, &actualType, &format, &count,
                           &remaining, &data) == Success &&
        actualType == type && format == 32 && data) {
        // Xlib hands 32-bit items back as longs.
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i)
            values.append(items[i]);
    }
    if (data)
        XFree(data);
    return values;
}

std::optional<QMargins> frameExtentsOf(Display* display, Window window, Atom extents) {
    const QList<unsigned long> values = longProperty(display, window, extents, XA_CARDINAL);
    if (values.size() != 4)
        return std::nullopt;
    // left, right, top, bottom
    return QMargins(int(values[0]), int(values[2]), int(values[1]), int(values[3]));
}

} // namespace

bool askFrameExtents(_XDisplay* display, unsigned long window) {
    if (!display || !window)
        return false;
    const Window root = DefaultRootWindow(display);
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
    const Atom request = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    if (!longProperty(display, root, supported, XA_ATOM).contains(request))
        return false;
    if (frameExtentsOf(display, window, extents))
        return true;

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = request;
    event.xclient.format = 32;
    XSendEvent(display, root, False, SubstructureNotifyMask | SubstructureRedirectMask, &event);
    XFlush(display);
    return true;
}

std::optional<QMargins> awaitFrameExtents(_XDisplay* display, unsigned long window, int timeoutMs) {
    if (!display || !window)
        return std::nullopt;
    const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    // The answer is a property change on a window Qt owns; looking at the property now and then keeps
    // Qt's own event handling out of it.
    QElapsedTimer clock;
    clock.start();
    do {
        if (const std::optional<QMargins> answer = frameExtentsOf(display, window, extents))
            return answer;
        QThread::usleep(500);
    } while (clock.elapsed() < timeoutMs);
    return std::nullopt;
}

} // namespace kopix
