#include "platform/X11ActiveWindow.h"

#include "platform/X11Activation.h"
#include "platform/X11Connection.h"
#include "platform/X11Keys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace kopix {

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, quint16(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// Whether the window manager says it names the active window.
bool supportsActiveWindow(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t activeAtom) {
    const xcb_atom_t supported = internAtom(connection, "_NET_SUPPORTED");
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, supported, XCB_ATOM_ATOM, 0, 4096), nullptr);
    bool found = false;
    if (reply && reply->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / 4;
        for (int i = 0; i < count && !found; ++i)
            found = atoms[i] == activeAtom;
    }
    std::free(reply);
    return found;
}

// The X time an input event carries (0 for other events). XInput's device events keep theirs ten bytes in.
quint32 userTimeOf(const xcb_generic_event_t* event, quint8 inputOpcode) {
    const quint8 type = event->response_type & 0x7f;
    if (type >= XCB_KEY_PRESS && type <= XCB_LEAVE_NOTIFY) {
        quint32 time = 0;
        std::memcpy(&time, reinterpret_cast<const char*>(event) + 4, sizeof time);
        return time;
    }
    if (type == XCB_GE_GENERIC && inputOpcode != 0 &&
        reinterpret_cast<const xcb_ge_generic_event_t*>(event)->extension == inputOpcode) {
        quint32 time = 0;
        std::memcpy(&time, reinterpret_cast<const char*>(event) + 10, sizeof time);
        return time;
    }
    return 0;
}

} // namespace

X11ActiveWindow::X11ActiveWindow() {
    m_x11 = applicationX11Connection().value_or(X11Connection{});
    if (!m_x11.connection)
        return;
    m_activeAtom = internAtom(m_x11.connection, "_NET_ACTIVE_WINDOW");
    const char input[] = "XInputExtension";
    xcb_query_extension_reply_t* extension = xcb_query_extension_reply(
        m_x11.connection, xcb_query_extension(m_x11.connection, quint16(std::strlen(input)), input), nullptr);
    if (extension && extension->present)
        m_inputOpcode = extension->major_opcode;
    std::free(extension);
    m_pasteTimeout = new QTimer(this);
    m_pasteTimeout->setSingleShot(true);
    connect(m_pasteTimeout, &QTimer::timeout, this, [this] {
        finishPaste(m_paste && !exists(m_paste->window) ? PasteOutcome::WindowGone
                                                        : PasteOutcome::NotActivated);
    });
}

X11ActiveWindow::~X11ActiveWindow() {
    if (m_started && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11ActiveWindow::start() {
    if (m_started)
        return true;
    if (!m_x11.connection || m_activeAtom == XCB_ATOM_NONE ||
        !supportsActiveWindow(m_x11.connection, m_x11.root, m_activeAtom))
        return false;
    // Property events of the root window, added to whatever this program already asked of it.
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        m_x11.connection, xcb_get_window_attributes(m_x11.connection, m_x11.root), nullptr);
    const quint32 mask = (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    std::free(attributes);
    xcb_change_window_attributes(m_x11.connection, m_x11.root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_x11.connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_started = true;
    activeWindowChanged();
    return true;
}

quint64 X11ActiveWindow::readActiveWindow() const {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        m_x11.connection,
        xcb_get_property(m_x11.connection, 0, m_x11.root, m_activeAtom, XCB_ATOM_WINDOW, 0, 1), nullptr);
    quint64 window = 0;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
        window = *static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return window;
}

bool X11ActiveWindow::isOwnWindow(quint64 window) {
    for (const QWindow* own : QGuiApplication::allWindows()) {
        // Only windows that exist on the server; asking another for its id would make it.
        if (own->handle() && quint64(own->winId()) == window)
            return true;
    }
    return false;
}

bool X11ActiveWindow::exists(quint64 window) const {
    if (!m_x11.connection || window == 0)
        return false;
    xcb_generic_error_t* error = nullptr;
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        m_x11.connection, xcb_get_window_attributes(m_x11.connection, xcb_window_t(window)), &error);
    const bool there = attributes && !error;
    std::free(attributes);
    std::free(error);
    return there;
}

bool X11ActiveWindow::activate(quint64 window) {
    if (!exists(window))
        return false;
    // With the time of the user's last input: the user's key or pointer asked for it, and a window manager
    // that prevents focus stealing compares that time.
    requestActivationByUser(m_x11.display, static_cast<unsigned long>(window), m_lastUserTime);
    return true;
}

void X11ActiveWindow::pasteInto(quint64 window, QKeyCombination key, std::function<void(PasteOutcome)> done) {
    // A paste still waiting for its window is overtaken: the user has copied again.
    finishPaste(PasteOutcome::NotActivated);
    m_paste = std::make_unique<Paste>(Paste{window, key, std::move(done)});
    // A key the layout has no key for is not sent at all, and the window is left where it is.
    if (const std::optional<X11Key> x = x11KeyOf(key); !x || !canTypeKey(m_x11.display, *x)) {
        finishPaste(PasteOutcome::KeyNotOnLayout);
        return;
    }
    if (!activate(window)) {
        finishPaste(PasteOutcome::WindowGone);
        return;
    }
    if (readActiveWindow() == window) {
        finishPaste(PasteOutcome::Sent);
        return;
    }
    m_pasteTimeout->start(ActivationTimeoutMs);
}

void X11ActiveWindow::finishPaste(PasteOutcome outcome) {
    m_pasteTimeout->stop();
    const std::unique_ptr<Paste> paste = std::move(m_paste);
    if (!paste)
        return;
    if (outcome == PasteOutcome::Sent) {
        const std::optional<X11Key> key = x11KeyOf(paste->key);
        if (!key || !typeKeyWithXTest(m_x11.display, *key))
            outcome = PasteOutcome::NotActivated;
    }
    if (paste->done)
        paste->done(outcome);
}

void X11ActiveWindow::activeWindowChanged() {
    m_active = readActiveWindow();
    if (m_active != 0 && !isOwnWindow(m_active))
        m_previous = m_active;
    if (m_paste && m_active == m_paste->window) {
        // Typed a moment later, out of the event handling: the window takes the focus as it becomes active.
        m_pasteTimeout->stop();
        QTimer::singleShot(FocusSettleMs, this, [this, window = m_active] {
            if (m_paste && m_paste->window == window)
                finishPaste(readActiveWindow() == window ? PasteOutcome::Sent : PasteOutcome::NotActivated);
        });
    }
}

bool X11ActiveWindow::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if (const quint32 time = userTimeOf(event, m_inputOpcode))
        m_lastUserTime = time;
    if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
        const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (property->window == m_x11.root && property->atom == m_activeAtom)
            activeWindowChanged();
    }
    return false; // Qt goes on with every event as usual
}

} // namespace kopix
