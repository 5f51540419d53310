#include "platform/X11GlobalKey.h"

#include "platform/X11Keymap.h"
#include "platform/X11Keys.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <array>
#include <utility>

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

// The four states of CapsLock and NumLock a key is taken in.
std::array<unsigned, 4> lockStates(unsigned numLock) {
    return {0u, unsigned(LockMask), numLock, unsigned(LockMask) | numLock};
}

const QString NoDisplay = QStringLiteral("X ディスプレイがないため、キーを登録できません。");

bool isNoKey(QKeyCombination key) {
    return key.key() == Qt::Key_unknown || key.key() == 0;
}

} // namespace

X11GlobalKey::X11GlobalKey()
    : m_application(applicationX11Connection().value_or(X11Connection{})), m_wanted(Qt::Key_unknown) {}

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
    // A new layout comes as a new keyboard description or a changed map.
    int opcode = 0, errorBase = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (XkbQueryExtension(m_own, &opcode, &m_xkbEventBase, &errorBase, &major, &minor))
        XkbSelectEvents(m_own, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                        XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
    m_events = std::make_unique<QSocketNotifier>(ConnectionNumber(m_own), QSocketNotifier::Read);
    QObject::connect(m_events.get(), &QSocketNotifier::activated, [this] { readEvents(); });
    return true;
}

QString X11GlobalKey::grab(QKeyCombination key, std::function<void(quint32 time)> pressed,
                           std::function<void(const QString& problem)> changed) {
    release();
    m_wanted = QKeyCombination(Qt::Key_unknown);
    m_problem.clear();
    m_pressed = std::move(pressed);
    m_changed = std::move(changed);
    if (isNoKey(key))
        return QString();
    if (!m_application.display || !connect())
        return NoDisplay;
    m_wanted = key;
    const QString problem = take(X11Keymap(m_own));
    // A key refused now is not tried again at a change of the layout either.
    if (!problem.isEmpty())
        m_wanted = QKeyCombination(Qt::Key_unknown);
    return problem;
}

QString X11GlobalKey::probe(QKeyCombination key) {
    if (isNoKey(key) || (key == m_wanted && m_taken))
        return QString();
    if (!m_application.display || !connect())
        return NoDisplay;
    const std::optional<KeyOnLayout> found = keyOnLayout(key, X11Keymap(m_own));
    // The key taken now, under another name: it stays taken.
    if (m_taken && found && found->code == m_taken->code && found->modifiers == m_taken->modifiers)
        return QString();
    const QString problem = grabOnLayout(found);
    if (problem.isEmpty())
        ungrabInEveryLockState(*found);
    return problem;
}

std::optional<X11GlobalKey::KeyOnLayout> X11GlobalKey::keyOnLayout(QKeyCombination key,
                                                                   const X11Keymap& keymap) {
    const std::optional<X11Key> x = x11KeyOf(key);
    const quint8 code = x ? keymap.keycodeOf(x->keysym) : 0;
    if (code == 0)
        return std::nullopt;
    return KeyOnLayout{code, quint16(x->modifiers), quint16(keymap.modifiersOf(XK_Num_Lock))};
}

QString X11GlobalKey::grabOnLayout(const std::optional<KeyOnLayout>& key) {
    if (!key)
        return QStringLiteral("このキーはキーボードにありません。");
    if (!grabInEveryLockState(*key))
        return QStringLiteral("他のプログラムがこのキーを使っています。");
    return QString();
}

QString X11GlobalKey::take(const X11Keymap& keymap) {
    const std::optional<KeyOnLayout> found = keyOnLayout(m_wanted, keymap);
    if (const QString problem = grabOnLayout(found); !problem.isEmpty())
        return problem;
    m_taken = found;
    // What came in while waiting for the grabs sits read in Xlib's queue already.
    QTimer::singleShot(0, m_events.get(), [this] { readEvents(); });
    return QString();
}

bool X11GlobalKey::grabInEveryLockState(const KeyOnLayout& key) {
    // Every state of the locks, each checked: one taken by another program makes the key unusable.
    checkedDisplay = m_own;
    checkedFailed = false;
    const XErrorHandler previous = XSetErrorHandler(noteError);
    const Window root = DefaultRootWindow(m_own);
    for (const unsigned locks : lockStates(key.numLock))
        XGrabKey(m_own, key.code, key.modifiers | locks, root, False, GrabModeAsync, GrabModeAsync);
    XSync(m_own, False);
    XSetErrorHandler(previous);
    checkedDisplay = nullptr;
    if (!checkedFailed)
        return true;
    ungrabInEveryLockState(key);
    return false;
}

void X11GlobalKey::ungrabInEveryLockState(const KeyOnLayout& key) {
    const Window root = DefaultRootWindow(m_own);
    for (const unsigned locks : lockStates(key.numLock))
        XUngrabKey(m_own, key.code, key.modifiers | locks, root);
    XFlush(m_own);
}

void X11GlobalKey::release() {
    if (!m_taken || !m_own)
        return;
    ungrabInEveryLockState(*m_taken);
    m_taken.reset();
    m_held = false;
}

void X11GlobalKey::followLayout() {
    m_followPending = false;
    if (isNoKey(m_wanted))
        return;
    // The server also tells of a "new keyboard" whenever input comes from another device (the real
    // keyboard after a program's typed keys) with the same layout: the key taken stays, held or not.
    const X11Keymap keymap(m_own);
    const std::optional<KeyOnLayout> found = keyOnLayout(m_wanted, keymap);
    if (m_taken && found == m_taken)
        return;
    release();
    const QString problem = take(keymap);
    if (problem == m_problem)
        return;
    m_problem = problem;
    if (m_changed)
        m_changed(problem);
}

void X11GlobalKey::readEvents() {
    if (!m_own)
        return;
    while (XPending(m_own) > 0) {
        XEvent event;
        XNextEvent(m_own, &event);
        // The layout changed: followed once all its events are in (a switch sends several).
        if (event.type == MappingNotify || (m_xkbEventBase >= 0 && event.type == m_xkbEventBase)) {
            if (event.type == MappingNotify)
                XRefreshKeyboardMapping(&event.xmapping);
            if (!std::exchange(m_followPending, true))
                QTimer::singleShot(0, m_events.get(), [this] { followLayout(); });
            continue;
        }
        if ((event.type != KeyPress && event.type != KeyRelease) || !m_taken ||
            event.xkey.keycode != m_taken->code)
            continue;
        // The key let go, also after its modifiers: the next press acts again.
        if (event.type == KeyRelease) {
            m_held = false;
            continue;
        }
        if ((event.xkey.state & ~(LockMask | m_taken->numLock) & 0xff) != m_taken->modifiers)
            continue;
        // A repeat comes as another press before the release.
        if (std::exchange(m_held, true))
            continue;
        // Run after the event, never inside the event handling: it activates windows.
        if (m_pressed)
            QTimer::singleShot(0, m_events.get(),
                               [pressed = m_pressed, time = quint32(event.xkey.time)] { pressed(time); });
    }
}

} // namespace kopix
