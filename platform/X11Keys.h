#pragma once

#include <QKeyCombination>

#include <optional>

struct _XDisplay;

namespace kopix {

// A key as X names it: a keysym and the modifier mask that goes with it.
struct X11Key {
    unsigned long keysym = 0;
    unsigned modifiers = 0; // ShiftMask, ControlMask, Mod1Mask (Alt), Mod4Mask (Super)
};

// The X key of a Qt key combination: letters, digits, ASCII signs, function keys and the editing and
// cursor keys; nothing for others.
std::optional<X11Key> x11KeyOf(QKeyCombination key);

// Whether the keyboard's layout, as it is now, has keys for a key and its modifiers.
bool canTypeKey(_XDisplay* display, const X11Key& key);

// Types a key into whichever window has the focus, through the XTest extension, on the keys of the layout
// as it is now: the modifiers the user still holds are let go first, so that what arrives is exactly the
// key. False when the key cannot be typed (no XTest, or no key of the layout makes it); then nothing is
// sent.
bool typeKeyWithXTest(_XDisplay* display, const X11Key& key);

} // namespace kopix
