#pragma once

#include "platform/X11Connection.h"

#include <QKeyCombination>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace kopix {

class X11Keymap;

// One key taken on the whole desktop (XGrabKey on the root window), in each of its NumLock and CapsLock
// states, so it works whichever program has the focus and however the locks stand.
//
// The key is taken on an X connection of its own, on which the server reports a held key's repeats as
// presses without releases (detectable auto-repeat): holding the key down acts once. Qt's connection,
// and with it the keys typed into Kopix, keep the server's usual repeats.
//
// The key follows the keyboard's layout: when the user switches it, the key is looked up in the new layout
// and taken there, so Ctrl+Alt+K stays the key marked K.
class X11GlobalKey {
public:
    X11GlobalKey();
    ~X11GlobalKey();
    X11GlobalKey(const X11GlobalKey&) = delete;
    X11GlobalKey& operator=(const X11GlobalKey&) = delete;

    // Gives back the key taken before, then takes this one (none for an empty combination). "" when it is
    // taken, else why not, in a line for the user; then no key is taken. pressed is given the X time of
    // the press. After a change of the layout, changed is told why the key cannot be taken in the new one,
    // or "" once it is taken again.
    QString grab(QKeyCombination key, std::function<void(quint32 time)> pressed,
                 std::function<void(const QString& problem)> changed = {});
    // Whether a key could be taken now: "" when it could (or is the one taken), else why not. Nothing is
    // kept taken.
    QString probe(QKeyCombination key);

private:
    // A key as the keyboard's layout has it: the key's code, its modifiers, and NumLock's modifier.
    struct KeyOnLayout {
        quint8 code = 0;
        quint16 modifiers = 0;
        quint16 numLock = 0;
        bool operator==(const KeyOnLayout&) const = default;
    };
    static std::optional<KeyOnLayout> keyOnLayout(QKeyCombination key, const X11Keymap& keymap);
    // Takes a key found on the layout in every lock state: "" when taken, else why not (none found, or
    // another program has it).
    QString grabOnLayout(const std::optional<KeyOnLayout>& key);
    // Takes the wanted key as the layout has it, and follows it from then on; "" when taken.
    QString take(const X11Keymap& keymap);
    // Takes a key in each state of CapsLock and NumLock, all or none; false when another program has one.
    bool grabInEveryLockState(const KeyOnLayout& key);
    void ungrabInEveryLockState(const KeyOnLayout& key);
    void release();
    // Takes the wanted key again in the layout the user has switched to.
    void followLayout();
    // Opens the connection of its own the first time a key is taken; false where it cannot be had.
    bool connect();
    // Handles what the server has sent on that connection.
    void readEvents();

    X11Connection m_application; // Qt's connection, for the display's name; none without X
    _XDisplay* m_own = nullptr;  // the connection the key is taken on
    std::unique_ptr<QSocketNotifier> m_events;
    int m_xkbEventBase = -1;
    QKeyCombination m_wanted;           // the key asked for (none: Key_unknown)
    QString m_problem;                  // why the wanted key is not taken in the layout as it is
    bool m_followPending = false;       // a layout change waits to be followed
    std::optional<KeyOnLayout> m_taken; // the key taken
    bool m_held = false;                // pressed and not yet released: a repeat
    std::function<void(quint32 time)> m_pressed;
    std::function<void(const QString& problem)> m_changed;
};

} // namespace kopix
