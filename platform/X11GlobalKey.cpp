#include "platform/X11GlobalKey.h"

#include "platform/X11Keys.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <array>

namespace kopix {

namespace {

// Grab errors on the connection given, collected while the grabs are made: Xlib's own handler would end
// the program.
Display* checkedDisplay = nullptr;
bool checkedFailed = false;

int noteError(Display* display, XErrorEvent*) {
    if (display == checkedDisplay)
        checkedFailed = true;
    return 0;
}

} // namespace

X11GlobalKey::X11GlobalKey() : m_application(applicationX11Connection().value_or(X11Connection{})) {}

X11GlobalKey::~X11GlobalKey() {
    m_events.reset();
    // Closing the connection gives its grab back.
    if (m_own)
        XCloseDisplay(m_own);
}

bool X11GlobalKey::connect() {
    if (m_own)
        return true;
    m_own = XOpenDisplay(DisplayString(m_application.display));
    if (!m_own)
        return false;
    Bool detectable = False;
    XkbSetDetectableAutoRepeat(m_own, True, &detectable);
    m_events = std::make_unique<QSocketNotifier>(ConnectionNumber(m_own), QSocketNotifier::Read);
    QObject::connect(m_events.get(), &QSocketNotifier::activated, [this] { readEvents(); });
    return true;
}

void X11GlobalKey::release() {
    if (m_keycode == 0 || !m_own)
        return;
    const Window root = DefaultRootWindow(m_own);
    for (const unsigned locks :
         {0u, unsigned(LockMask), unsigned(m_lockMasks & ~LockMask), unsigned(m_lockMasks)})
        XUngrabKey(m_own, m_keycode, m_modifiers | locks, root);
    XFlush(m_own);
    m_keycode = 0;
    m_held = false;
}

QString X11GlobalKey::grab(QKeyCombination key, std::function<void(quint32 time)> pressed) {
    release();
    m_pressed = std::move(pressed);
    if (key.key() == Qt::Key_unknown || key.key() == 0)
        return QString();
    if (!m_application.display || !connect())
        return QStringLiteral("X ディスプレイがないため、キーを登録できません。");
    const std::optional<X11Key> x = x11KeyOf(key);
    const KeyCode code = x ? XKeysymToKeycode(m_application.display, KeySym(x->keysym)) : 0;
    if (code == 0)
        return QStringLiteral("このキーはキーボードにありません。");
    const auto numLock = quint16(XkbKeysymToModifiers(m_application.display, XK_Num_Lock));
    m_lockMasks = quint16(LockMask | numLock);
    m_modifiers = quint16(x->modifiers);
    // Every state of the locks, each checked: one taken by another program makes the key unusable.
    checkedDisplay = m_own;
    checkedFailed = false;
    const XErrorHandler previous = XSetErrorHandler(noteError);
    const Window root = DefaultRootWindow(m_own);
    for (const unsigned locks : {0u, unsigned(LockMask), unsigned(numLock), unsigned(LockMask | numLock)})
        XGrabKey(m_own, code, m_modifiers | locks, root, False, GrabModeAsync, GrabModeAsync);
    XSync(m_own, False);
    XSetErrorHandler(previous);
    checkedDisplay = nullptr;
    m_keycode = code;
    if (checkedFailed) {
        release();
        return QStringLiteral("他のプログラムがこのキーを使っています。");
    }
    // What came in while waiting for the grabs sits read in Xlib's queue already.
    QTimer::singleShot(0, QCoreApplication::instance(), [this] { readEvents(); });
    return QString();
}

void X11GlobalKey::readEvents() {
    if (!m_own)
        return;
    while (XPending(m_own) > 0) {
        XEvent event;
        XNextEvent(m_own, &event);
        if ((event.type != KeyPress && event.type != KeyRelease) || m_keycode == 0 ||
            event.xkey.keycode != m_keycode)
            continue;
        // The key let go, also after its modifiers: the next press acts again.
        if (event.type == KeyRelease) {
            m_held = false;
            continue;
        }
        if ((event.xkey.state & ~m_lockMasks & 0xff) != m_modifiers)
            continue;
        // A repeat comes as another press before the release.
        if (std::exchange(m_held, true))
            continue;
        // Run after the event, never inside the event handling: it activates windows.
        if (m_pressed)
            QTimer::singleShot(0, QCoreApplication::instance(),
                               [pressed = m_pressed, time = quint32(event.xkey.time)] { pressed(time); });
    }
}

} // namespace kopix
