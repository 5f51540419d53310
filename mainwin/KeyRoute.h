#pragma once

#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

namespace kopix {

// Hands a control's keys to `route` before the control sees them, the shortcut check before each press
// included; a key the route takes never reaches the control. The route lives as long as the control.
class KeyRoute : public QObject {
    Q_OBJECT
public:
    static void install(QWidget& control, std::function<bool(QKeyEvent* event)> route);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyRoute(QWidget& control, std::function<bool(QKeyEvent* event)> route);

    std::function<bool(QKeyEvent* event)> m_route;
};

} // namespace kopix
