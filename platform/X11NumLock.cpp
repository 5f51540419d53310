#include "platform/X11NumLock.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace kopix {

X11NumLock::X11NumLock() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return;
    int opcode = 0;
    int eventBase = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor))
        return;
    m_display = display;
    m_xkbEventBase = eventBase;
    m_numLockMask = XkbKeysymToModifiers(display, XK_Num_Lock);
}

X11NumLock::~X11NumLock() {
    if (m_filterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

std::optional<bool> X11NumLock::isOn() const {
    if (!m_display)
        return std::nullopt;
    if (m_numLockMask != 0) {
        XkbStateRec state{};
        if (XkbGetState(m_display, XkbUseCoreKbd, &state) != Success)
            return std::nullopt;
        return (state.locked_mods & m_numLockMask) != 0;
    }
    // A keymap without a NumLock modifier may still light the indicator.
    Bool on = False;
    if (!XkbGetNamedIndicator(m_display, XInternAtom(m_display, "Num Lock", False), nullptr, &on, nullptr,
                              nullptr))
        return std::nullopt;
    return on != False;
}

void X11NumLock::watch(std::function<void()> onChange) {
    m_onChange = std::move(onChange);
    if (!m_display || m_filterInstalled)
        return;
    // Only the indicator events are added; the keyboard events Qt itself asked for stay as they are.
    XkbSelectEventDetails(m_display, XkbUseCoreKbd, XkbIndicatorStateNotify, XkbAllIndicatorsMask,
                          XkbAllIndicatorsMask);
    XFlush(m_display);
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_filterInstalled = true;
}

bool X11NumLock::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !m_onChange)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    // The XKB event kind is the byte after the response type.
    if ((event->response_type & 0x7f) == m_xkbEventBase && event->pad0 == XkbIndicatorStateNotify)
        m_onChange();
    return false; // Qt goes on with the event as usual
}

} // namespace kopix
