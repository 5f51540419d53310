#pragma once

struct _XDisplay;

namespace kopix {

// Asks the window manager to activate a top-level window (show it if minimised, raise it, give it the
// focus) on behalf of the user (_NET_ACTIVE_WINDOW from a pager): a program that asks for itself is
// taken for one stealing the focus, and most window managers then only flash its task bar entry. time is
// the X time of the user's input that asked for it, 0 where there is none.
void requestActivationByUser(_XDisplay* display, unsigned long window, unsigned long time = 0);

} // namespace kopix
