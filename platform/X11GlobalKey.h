#pragma once

#include "platform/X11Connection.h"

#include <QKeyCombination>
#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace kopix {

// One key taken on the whole desktop (XGrabKey on the root window), in each of its NumLock and CapsLock
// states, so it works whichever program has the focus and however the locks stand.
//
// The key is taken on an X connection of its own, on which the server reports a held key's repeats as
// presses without releases (detectable auto-repeat): holding the key down acts once. Qt's connection,
// and with it the keys typed into Kopix, keep the server's usual repeats.
class X11GlobalKey {
public:
    X11GlobalKey();
    ~X11GlobalKey();
    X11GlobalKey(const X11GlobalKey&) = delete;
    X11GlobalKey& operator=(const X11GlobalKey&) = delete;

    // Gives back the key taken before, then takes this one (none for an empty combination). "" when it is
    // taken, else why not, in a line for the user; then no key is taken. pressed is given the X time of
    // the press.
    QString grab(QKeyCombination key, std::function<void(quint32 time)> pressed);

private:
    void release();
    // Opens the connection of its own the first time a key is taken; false where it cannot be had.
    bool connect();
    // Handles what the server has sent on that connection.
    void readEvents();

    X11Connection m_application; // Qt's connection, for the keyboard's layout; none without X
    _XDisplay* m_own = nullptr;  // the connection the key is taken on
    std::unique_ptr<QSocketNotifier> m_events;
    quint8 m_keycode = 0;    // the key taken (0: none)
    quint16 m_modifiers = 0; // its modifiers, without the locks
    quint16 m_lockMasks = 0; // CapsLock's and NumLock's masks
    bool m_held = false;     // pressed and not yet released: a repeat
    std::function<void(quint32 time)> m_pressed;
};

} // namespace kopix
