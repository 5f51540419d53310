#pragma once

namespace kopix {

// Makes the character set of this process's locale UTF-8 when it is not (the POSIX locale of a container
// or of a fresh machine without LANG), keeping every other part of the locale as the user set it. Qt's
// texts are UTF-8 whatever the locale, but Xlib writes window names (WM_NAME) in the locale's character
// set: in ASCII, every Japanese title would reach the window manager and the task bar garbled. Call it
// once the application exists, which sets the locale from the environment.
void useUtf8CharacterSet();

} // namespace kopix
