#pragma once

#include <QByteArray>
#include <optional>

namespace kopix {

// Where the program will run on X11 (unless QT_QPA_PLATFORM or -platform names another platform) and the
// X server it would use (-display, else DISPLAY) cannot be reached, or does not answer within a few
// seconds: that display's name, for the message.
// Qt itself would abort there with advice to reinstall. Nothing when the display answers or another
// platform is chosen. Called before the application object exists.
std::optional<QByteArray> unreachableX11Display(int argc, char** argv);

} // namespace kopix
