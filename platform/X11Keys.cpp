#include "platform/X11Keys.h"

#include "platform/X11Keymap.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace kopix {

namespace {

// Qt's keys outside the printable ASCII range that have an X keysym of their own.
constexpr std::array<std::pair<int, unsigned long>, 17> NamedKeys{{
    {Qt::Key_Insert, XK_Insert},
    {Qt::Key_Delete, XK_Delete},
    {Qt::Key_Home, XK_Home},
    {Qt::Key_End, XK_End},
    {Qt::Key_PageUp, XK_Prior},
    {Qt::Key_PageDown, XK_Next},
    {Qt::Key_Left, XK_Left},
    {Qt::Key_Up, XK_Up},
    {Qt::Key_Right, XK_Right},
    {Qt::Key_Down, XK_Down},
    {Qt::Key_Pause, XK_Pause},
    {Qt::Key_Print, XK_Print},
    {Qt::Key_Escape, XK_Escape},
    {Qt::Key_Tab, XK_Tab},
    {Qt::Key_Backspace, XK_BackSpace},
    {Qt::Key_Return, XK_Return},
    {Qt::Key_Space, XK_space},
}};

// The modifier masks, each with the key that makes it, in the order they are pressed.
constexpr std::array<std::pair<unsigned, unsigned long>, 4> ModifierKeys{{
    {ControlMask, XK_Control_L},
    {ShiftMask, XK_Shift_L},
    {Mod1Mask, XK_Alt_L},
    {Mod4Mask, XK_Super_L},
}};

// The keycodes of the modifier keys held down now.
std::vector<KeyCode> heldModifiers(Display* display) {
    std::vector<KeyCode> held;
    char keys[32] = {};
    XQueryKeymap(display, keys);
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map)
        return held;
    for (int i = 0; i < 8 * map->max_keypermod; ++i) {
        const KeyCode code = map->modifiermap[i];
        if (code != 0 && (keys[code / 8] & (1 << (code % 8))))
            held.push_back(code);
    }
    XFreeModifiermap(map);
    return held;
}

// The keys to press for a key: its modifiers' in order, the key itself last; none when the keyboard's layout
// has no key for one of them.
std::vector<KeyCode> keycodesOf(const X11Keymap& keymap, const X11Key& key) {
    std::vector<KeyCode> codes;
    for (const auto& [mask, keysym] : ModifierKeys) {
        if (key.modifiers & mask)
            codes.push_back(keymap.keycodeOf(keysym));
    }
    codes.push_back(keymap.keycodeOf(key.keysym));
    if (std::find(codes.begin(), codes.end(), KeyCode(0)) != codes.end())
        return {};
    return codes;
}

} // namespace

std::optional<X11Key> x11KeyOf(QKeyCombination key) {
    X11Key x;
    const int code = key.key();
    if (code >= Qt::Key_F1 && code <= Qt::Key_F35)
        x.keysym = XK_F1 + unsigned(code - Qt::Key_F1);
    else if (code > 0x20 && code < 0x7F)
        x.keysym = (code >= 'A' && code <= 'Z') ? unsigned(code - 'A' + 'a') : unsigned(code);
    for (const auto& [qtKey, keysym] : NamedKeys)
        if (qtKey == code)
            x.keysym = keysym;
    if (x.keysym == 0)
        return std::nullopt;
    const Qt::KeyboardModifiers modifiers = key.keyboardModifiers();
    if (modifiers & Qt::ShiftModifier)
        x.modifiers |= ShiftMask;
    if (modifiers & Qt::ControlModifier)
        x.modifiers |= ControlMask;
    if (modifiers & Qt::AltModifier)
        x.modifiers |= Mod1Mask;
    if (modifiers & Qt::MetaModifier)
        x.modifiers |= Mod4Mask;
    return x;
}

bool canTypeKey(Display* display, const X11Key& key) {
    return !keycodesOf(X11Keymap(display), key).empty();
}

bool typeKeyWithXTest(Display* display, const X11Key& key) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!display || !XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor))
        return false;
    // The keys as the layout is now: the user may have switched it since Kopix started.
    std::vector<KeyCode> codes = keycodesOf(X11Keymap(display), key);
    if (codes.empty())
        return false;
    const KeyCode code = codes.back();
    codes.pop_back();
    for (const KeyCode held : heldModifiers(display))
        XTestFakeKeyEvent(display, held, False, CurrentTime);
    for (const KeyCode modifier : codes)
        XTestFakeKeyEvent(display, modifier, True, CurrentTime);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    for (auto it = codes.rbegin(); it != codes.rend(); ++it)
        XTestFakeKeyEvent(display, *it, False, CurrentTime);
    XFlush(display);
    return true;
}

} // namespace kopix
