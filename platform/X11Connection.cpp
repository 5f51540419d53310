#include "platform/X11Connection.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

namespace kopix {

std::optional<X11Connection> applicationX11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display() || !x11->connection())
        return std::nullopt;
    return X11Connection{x11->display(), x11->connection(), quint32(DefaultRootWindow(x11->display()))};
}

} // namespace kopix
