#include "platform/X11GlobalKey.h"

#include "platform/X11Connection.h"
#include "platform/X11Keys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <array>
#include <cstdlib>

namespace kopix {

X11GlobalKey::X11GlobalKey() : m_x11(applicationX11Connection().value_or(X11Connection{})) {}

X11GlobalKey::~X11GlobalKey() {
    if (m_filterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    // The server lets go of a client's grabs when its connection closes; the application's may outlive us.
    if (QCoreApplication::instance())
        release();
}

void X11GlobalKey::release() {
    if (m_keycode == 0 || !m_x11.connection)
        return;
    for (const quint16 locks : {quint16(0), quint16(LockMask), quint16(m_lockMasks & ~LockMask), m_lockMasks})
        xcb_ungrab_key(m_x11.connection, m_keycode, m_x11.root, quint16(m_modifiers | locks));
    xcb_flush(m_x11.connection);
    m_keycode = 0;
}

QString X11GlobalKey::grab(QKeyCombination key, std::function<void()> pressed) {
    release();
    m_pressed = std::move(pressed);
    if (key.key() == Qt::Key_unknown || key.key() == 0)
        return QString();
    if (!m_x11.connection)
        return QStringLiteral("X ディスプレイがないため、キーを登録できません。");
    const std::optional<X11Key> x = x11KeyOf(key);
    const KeyCode code = x ? XKeysymToKeycode(m_x11.display, KeySym(x->keysym)) : 0;
    if (code == 0)
        return QStringLiteral("このキーはキーボードにありません。");
    const quint16 numLock = quint16(XkbKeysymToModifiers(m_x11.display, XK_Num_Lock));
    m_lockMasks = quint16(LockMask | numLock);
    m_modifiers = quint16(x->modifiers);
    // Every state of the locks, each checked: one taken by another program makes the key unusable.
    const std::array<quint16, 4> lockStates{0, quint16(LockMask), numLock, quint16(LockMask | numLock)};
    std::array<xcb_void_cookie_t, 4> cookies{};
    for (size_t i = 0; i < lockStates.size(); ++i)
        cookies[i] =
            xcb_grab_key_checked(m_x11.connection, 0, m_x11.root, quint16(m_modifiers | lockStates[i]), code,
                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    bool taken = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(m_x11.connection, cookie)) {
            taken = false;
            std::free(error);
        }
    }
    m_keycode = code;
    if (!taken) {
        release();
        return QStringLiteral("他のプログラムがこのキーを使っています。");
    }
    if (!m_filterInstalled) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filterInstalled = true;
    }
    return QString();
}

bool X11GlobalKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || m_keycode == 0)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const quint8 type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (key->event != m_x11.root || key->detail != m_keycode ||
        (key->state & ~m_lockMasks & 0xff) != m_modifiers)
        return false;
    // Run after the event, never inside the event handling: it activates windows.
    if (type == XCB_KEY_PRESS && m_pressed)
        QTimer::singleShot(0, QCoreApplication::instance(), m_pressed);
    return true;
}

} // namespace kopix
