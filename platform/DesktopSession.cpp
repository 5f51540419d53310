#include "platform/DesktopSession.h"

#include "platform/X11Clipboard.h"
#include "platform/X11ClipboardServer.h"
#include "platform/X11DisplayCheck.h"
#include "platform/X11StartupNotification.h"
#include "platform/X11TextTargets.h"

#include <QtGlobal>

#include <cstring>

namespace kopix::session {

void choosePlatform() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    const bool wayland = qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
                         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (wayland)
        qputenv("QT_QPA_PLATFORM", "xcb");
}

std::optional<QByteArray> unreachableDisplay(int argc, char** argv) {
    return unreachableX11Display(argc, argv);
}

bool isClipboardServerStart(int argc, char** argv) {
    return argc == 3 && std::strcmp(argv[1], X11ClipboardServer::Option) == 0;
}

int serveClipboard(char** argv) {
    return X11ClipboardServer::serveStandardInput(QByteArray(argv[2]));
}

QString displayName() {
    return QString::fromLocal8Bit(X11ClipboardReader::applicationDisplayName());
}

void endStartupFeedback(const QByteArray& startupId) {
    kopix::endStartupFeedback(startupId);
}

TextTargets::TextTargets() : m_targets(std::make_unique<X11TextTargets>()) {}

TextTargets::~TextTargets() = default;

} // namespace kopix::session
