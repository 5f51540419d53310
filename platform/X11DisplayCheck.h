#pragma once

#include <QByteArray>

#include <chrono>
#include <optional>

namespace kopix {

// Where the program will run on X11 (unless QT_QPA_PLATFORM or -platform names another platform) and the
// X server it would use (-display, else DISPLAY) cannot be reached, or does not answer within answerLimit:
// that display's name, for the message.
// Qt itself would abort there with advice to reinstall. Nothing when the display answers or another
// platform is chosen. Called before the application object exists.
// A server that accepts the connection and then never answers (a hung server, a forwarded port with nothing
// behind it) would hold the connection forever, so it is given this long.
inline constexpr std::chrono::milliseconds DisplayAnswerLimit{5000};
std::optional<QByteArray> unreachableX11Display(int argc, char** argv,
                                                std::chrono::milliseconds answerLimit = DisplayAnswerLimit);

} // namespace kopix
