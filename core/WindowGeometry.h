#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

#include <optional>

namespace kopix {

// Pulls a window rectangle into a work area, first across, then down. A window at least as wide (high)
// as the work area gets the work area's left edge and width (top and height); one that fits is only
// moved, never resized.
QRect fitToWorkArea(const QRect& window, const QRect& workArea);

// The index of the screen nearest to a rectangle: the one it overlaps most, else the one with the
// smallest gap. -1 for an empty list.
int nearestScreen(const QRect& window, const QList<QRect>& screens);

// Where a message box goes over the main window: 170 pixels left of and 50 above its centre (division
// rounds toward zero). A negative coordinate is not applied (nullopt): the box keeps the default place
// on that axis.
struct MessageBoxPlace {
    std::optional<int> x;
    std::optional<int> y;
};
MessageBoxPlace messageBoxPlace(const QRect& mainWindow);

// The smallest client size: five tool-bar buttons each way.
QSize minimumClientSize(const QSize& toolButton);

} // namespace kopix
