#include "platform/X11TextTargets.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <algorithm>

namespace kopix {

X11TextTargets::X11TextTargets() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return;
    m_connection = x11->connection();
    m_clipboard = XInternAtom(display, "CLIPBOARD", False);
    m_primary = XA_PRIMARY;
    m_string = XA_STRING;
    m_text = XInternAtom(display, "TEXT", False);
    m_utf8String = XInternAtom(display, "UTF8_STRING", False);
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_installed = true;
}

X11TextTargets::~X11TextTargets() {
    if (m_installed && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11TextTargets::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_SELECTION_REQUEST)
        return false;
    auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event);
    if (request->selection != m_clipboard && request->selection != m_primary)
        return false;
    if (request->target == m_text) {
        // Qt answers it as UTF-8, whole, in pieces where the text is long.
        request->target = xcb_atom_t(m_utf8String);
        return false;
    }
    if (request->target != m_string)
        return false;
    const QString text = QGuiApplication::clipboard()->text(
        request->selection == m_clipboard ? QClipboard::Clipboard : QClipboard::Selection);
    const bool latin1 = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
    if (latin1)
        return false;
    // Refused: the requestor asks for another target.
    xcb_selection_notify_event_t refusal{};
    refusal.response_type = XCB_SELECTION_NOTIFY;
    refusal.time = request->time;
    refusal.requestor = request->requestor;
    refusal.selection = request->selection;
    refusal.target = request->target;
    refusal.property = XCB_NONE;
    xcb_send_event(m_connection, false, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&refusal));
    xcb_flush(m_connection);
    return true;
}

} // namespace kopix
