#include "platform/X11Keymap.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace kopix {

X11Keymap::X11Keymap(Display* display) {
    if (display)
        m_keymap = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask, XkbUseCoreKbd);
}

X11Keymap::~X11Keymap() {
    if (m_keymap)
        XkbFreeKeyboard(m_keymap, 0, True);
}

namespace {

// Calls found(code, rank) for every key that types the keysym, ranked by its group and level.
template <typename Found> void forKeysOf(const XkbDescRec* keymap, unsigned long keysym, Found found) {
    if (!keymap || keysym == NoSymbol)
        return;
    for (int code = keymap->min_key_code; code <= keymap->max_key_code; ++code) {
        const int groups = XkbKeyNumGroups(keymap, code);
        for (int group = 0; group < groups; ++group) {
            const int levels = XkbKeyGroupWidth(keymap, code, group);
            for (int level = 0; level < levels; ++level) {
                if (XkbKeySymEntry(keymap, code, level, group) == KeySym(keysym))
                    found(code, group * 256 + level);
            }
        }
    }
}

} // namespace

quint8 X11Keymap::keycodeOf(unsigned long keysym) const {
    // The lowest group and level win: that is the key the user presses for it in the first layout.
    int best = 0;
    int bestRank = 0;
    forKeysOf(m_keymap, keysym, [&](int code, int rank) {
        if (best == 0 || rank < bestRank) {
            best = code;
            bestRank = rank;
        }
    });
    return quint8(best);
}

unsigned X11Keymap::modifiersOf(unsigned long keysym) const {
    unsigned modifiers = 0;
    if (m_keymap && m_keymap->map && m_keymap->map->modmap)
        forKeysOf(m_keymap, keysym, [&](int code, int) { modifiers |= m_keymap->map->modmap[code]; });
    return modifiers;
}

} // namespace kopix
