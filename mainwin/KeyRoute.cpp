#include "mainwin/KeyRoute.h"

#include <QKeyEvent>
#include <QWidget>

namespace kopix {

KeyRoute::KeyRoute(QWidget& control, std::function<bool(QKeyEvent* event)> route)
    : QObject(&control), m_route(std::move(route)) {
    control.installEventFilter(this);
}

void KeyRoute::install(QWidget& control, std::function<bool(QKeyEvent* event)> route) {
    new KeyRoute(control, std::move(route));
}

bool KeyRoute::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)
        return m_route(static_cast<QKeyEvent*>(event));
    return QObject::eventFilter(watched, event);
}

} // namespace kopix
