#include "platform/X11DisplayCheck.h"

#include <X11/Xlib.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace kopix {

namespace {

// Whether the X server of the display answers within the limit. The connection is tried on a thread of
// its own; one that is still waiting is left behind, blocked, and ends with the program.
bool displayAnswers(const QByteArray& display, std::chrono::milliseconds limit) {
    struct Attempt {
        std::mutex mutex;
        std::condition_variable over;
        bool finished = false;
        bool answered = false;
    };
    const auto attempt = std::make_shared<Attempt>();
    std::thread([attempt, display] {
        Display* connection = XOpenDisplay(display.constData());
        if (connection)
            XCloseDisplay(connection);
        const std::lock_guard lock(attempt->mutex);
        attempt->finished = true;
        attempt->answered = connection != nullptr;
        attempt->over.notify_one();
    }).detach();
    std::unique_lock lock(attempt->mutex);
    return attempt->over.wait_for(lock, limit, [&attempt] { return attempt->finished; }) && attempt->answered;
}

} // namespace

std::optional<QByteArray> unreachableX11Display(int argc, char** argv,
                                                std::chrono::milliseconds answerLimit) {
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    QByteArray display = qgetenv("DISPLAY");
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0)
            platform = argv[i + 1];
        else if (std::strcmp(argv[i], "-display") == 0)
            display = argv[i + 1];
    }
    // "xcb", or "xcb:..." with options; a list such as "wayland;xcb" is Qt's to try in turn.
    if (!platform.isEmpty() && platform != "xcb" && !platform.startsWith("xcb:"))
        return std::nullopt;
    if (display.isEmpty())
        return display;
    if (!displayAnswers(display, answerLimit))
        return display;
    return std::nullopt;
}

} // namespace kopix
