#include "core/WindowGeometry.h"

#include <algorithm>
#include <limits>

namespace kopix {

namespace {

// One axis of the fit: position and length against the work area's start and length.
void fitAxis(int& position, int& length, int areaStart, int areaLength) {
    const int areaEnd = areaStart + areaLength;
    if (length >= areaLength) {
        position = areaStart;
        length = areaLength;
        return;
    }
    if (position < areaStart)
        position = areaStart;
    if (position + length > areaEnd)
        position = areaEnd - length;
}

qint64 gap(int aStart, int aEnd, int bStart, int bEnd) {
    if (aEnd <= bStart)
        return qint64(bStart) - aEnd;
    if (bEnd <= aStart)
        return qint64(aStart) - bEnd;
    return 0;
}

} // namespace

QRect fitToWorkArea(const QRect& window, const QRect& workArea) {
    int left = window.x(), width = window.width(), top = window.y(), height = window.height();
    fitAxis(left, width, workArea.x(), workArea.width());
    fitAxis(top, height, workArea.y(), workArea.height());
    return QRect(left, top, width, height);
}

int nearestScreen(const QRect& window, const QList<QRect>& screens) {
    int best = -1;
    qint64 bestOverlap = 0;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect overlap = window.intersected(screens[i]);
        const qint64 area = overlap.isEmpty() ? 0 : qint64(overlap.width()) * overlap.height();
        if (area > bestOverlap) {
            bestOverlap = area;
            best = i;
        }
    }
    if (best >= 0)
        return best;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (int i = 0; i < screens.size(); ++i) {
        const QRect& s = screens[i];
        const qint64 dx = gap(window.x(), window.x() + window.width(), s.x(), s.x() + s.width());
        const qint64 dy = gap(window.y(), window.y() + window.height(), s.y(), s.y() + s.height());
        const qint64 distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

MessageBoxPlace messageBoxPlace(const QRect& mainWindow) {
    // C++ integer division truncates toward zero, as the placement rule wants.
    const int x = mainWindow.x() + mainWindow.width() / 2 - 170;
    const int y = mainWindow.y() + mainWindow.height() / 2 - 50;
    MessageBoxPlace place;
    if (x >= 0)
        place.x = x;
    if (y >= 0)
        place.y = y;
    return place;
}

QSize minimumClientSize(const QSize& toolButton) {
    return QSize(5 * toolButton.width(), 5 * toolButton.height());
}

} // namespace kopix
