#pragma once

#include <QtGlobal>

struct _XDisplay;
struct _XkbDesc;

namespace kopix {

// The keyboard's keymap as the X server has it at this moment. Xlib's own copy (XKeysymToKeycode) is
// brought up to date only by the mapping events Xlib itself reads, and on Qt's connection Qt reads them:
// after the user switches the layout (setxkbmap, the desktop's layout switcher) that copy still has the old
// one, and a paste of Ctrl+V would type Ctrl+K under Dvorak. So every question asks the server afresh; a
// keymap is a few kilobytes, and it is asked for once per paste or per layout change.
class X11Keymap {
public:
    explicit X11Keymap(_XDisplay* display);
    ~X11Keymap();
    X11Keymap(const X11Keymap&) = delete;
    X11Keymap& operator=(const X11Keymap&) = delete;

    // The key that types a keysym: in the first group and on the first level where the layout has it;
    // 0 when no key of the keyboard types it now.
    quint8 keycodeOf(unsigned long keysym) const;
    // The modifiers the keys of a keysym set (NumLock's is Mod2 on most keymaps); 0 when there are none.
    unsigned modifiersOf(unsigned long keysym) const;

private:
    _XkbDesc* m_keymap = nullptr;
};

} // namespace kopix
