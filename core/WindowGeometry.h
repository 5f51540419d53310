#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

#include <optional>

namespace kopix {

// A window's outer rectangle as a settings file may give it: any 32-bit position and size. Its right and
// bottom edges can lie beyond what an int holds, so everything is reckoned in 64 bits.
struct WindowRect {
    qint64 left = 0;
    qint64 top = 0;
    qint64 width = 0;
    qint64 height = 0;

    WindowRect() = default;
    WindowRect(qint64 l, qint64 t, qint64 w, qint64 h) : left(l), top(t), width(w), height(h) {}
    WindowRect(const QRect& r) : left(r.x()), top(r.y()), width(r.width()), height(r.height()) {}
    // The same rectangle held within what a QRect takes without overflowing (about a billion pixels
    // each way), in the same direction from every screen: for looking the nearest screen up.
    QRect bounded() const;
};

// Pulls a window rectangle into a work area, first across, then down. A window at least as wide (high)
// as the work area gets the work area's left edge and width (top and height); one that fits is only
// moved, never resized.
QRect fitToWorkArea(const WindowRect& window, const QRect& workArea);

// The index of the screen nearest to a rectangle: the one it overlaps most, else the one with the
// smallest gap. -1 for an empty list.
int nearestScreen(const WindowRect& window, const QList<QRect>& screens);

// Where a message box goes over the main window: 170 pixels left of and 50 above its centre (division
// rounds toward zero). A negative coordinate is not applied (nullopt): the box keeps the default place
// on that axis.
struct MessageBoxPlace {
    std::optional<int> x;
    std::optional<int> y;
};
MessageBoxPlace messageBoxPlace(const QRect& mainWindow);

// Where a menu dropped down from a tool button goes (both in screen coordinates): its top-left corner at
// the button's bottom-left corner; above the button (its bottom edge at the button's top) when a menu that
// tall would run off the bottom of the screen.
QPoint dropDownPosition(const QRect& button, int menuHeight, const QRect& screen);

// The smallest client size: five tool-bar buttons each way.
QSize minimumClientSize(const QSize& toolButton);

} // namespace kopix
