#pragma once

#include "platform/X11Connection.h"

#include <QAbstractNativeEventFilter>
#include <QKeyCombination>
#include <QString>

#include <functional>

namespace kopix {

// One key taken on the whole desktop (XGrabKey on the root window), in each of its NumLock and CapsLock
// states, so it works whichever program has the focus and however the locks stand.
class X11GlobalKey : public QAbstractNativeEventFilter {
public:
    X11GlobalKey();
    ~X11GlobalKey() override;
    X11GlobalKey(const X11GlobalKey&) = delete;
    X11GlobalKey& operator=(const X11GlobalKey&) = delete;

    // Gives back the key taken before, then takes this one (none for an empty combination). "" when it is
    // taken, else why not, in a line for the user; then no key is taken.
    QString grab(QKeyCombination key, std::function<void()> pressed);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void release();

    X11Connection m_x11;     // no connection without X
    quint8 m_keycode = 0;    // the key taken (0: none)
    quint16 m_modifiers = 0; // its modifiers, without the locks
    quint16 m_lockMasks = 0; // CapsLock's and NumLock's masks
    bool m_filterInstalled = false;
    std::function<void()> m_pressed;
};

} // namespace kopix
