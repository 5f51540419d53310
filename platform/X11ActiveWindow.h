#pragma once

#include "platform/Platform.h"
#include "platform/X11Connection.h"

#include <QAbstractNativeEventFilter>
#include <QKeyCombination>
#include <QObject>

#include <functional>
#include <memory>

class QTimer;

namespace kopix {

// Which top-level window is active, as the window manager says on the root window (_NET_ACTIVE_WINDOW),
// followed through the root window's property events, never polled; and the last active one that is not
// one of this program's own. It also activates such a window and types a key into it once it is the active
// window, never before.
class X11ActiveWindow : public QObject, public QAbstractNativeEventFilter {
public:
    // How long a window may take to become active before the paste is given up.
    static constexpr int ActivationTimeoutMs = 1500;
    // How long after becoming active a window gets before the key is typed.
    static constexpr int FocusSettleMs = 30;

    X11ActiveWindow();
    ~X11ActiveWindow() override;
    X11ActiveWindow(const X11ActiveWindow&) = delete;
    X11ActiveWindow& operator=(const X11ActiveWindow&) = delete;

    // Starts following; false without an X display or a window manager that names the active window.
    bool start();
    quint64 previous() const { return m_previous; }
    // Whether a window still exists.
    bool exists(quint64 window) const;
    // Asks the window manager to activate a window, for the user; false when it no longer exists.
    bool activate(quint64 window);
    // Activates the window and types the key into it once it is active.
    void pasteInto(quint64 window, QKeyCombination key, std::function<void(PasteOutcome)> done);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    // The user's input at this X time, seen on a connection other than Qt's (the global key's).
    void noteUserTime(quint32 time) { m_lastUserTime = time; }

private:
    struct Paste {
        quint64 window = 0;
        QKeyCombination key;
        std::function<void(PasteOutcome)> done;
    };
    void activeWindowChanged();
    quint64 readActiveWindow() const;
    static bool isOwnWindow(quint64 window);
    // Ends the paste waiting for its window with this outcome (typing the key first when it is Sent).
    void finishPaste(PasteOutcome outcome);

    X11Connection m_x11; // no connection without X
    quint32 m_activeAtom = 0;
    quint8 m_inputOpcode = 0;   // the XInput extension's events carry the user's time too
    quint32 m_lastUserTime = 0; // the X time of the last input event seen (0: none yet)
    bool m_started = false;
    quint64 m_active = 0;
    quint64 m_previous = 0;
    std::unique_ptr<Paste> m_paste;
    QTimer* m_pasteTimeout = nullptr;
};

} // namespace kopix
