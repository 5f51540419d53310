#include "core/WindowGeometry.h"

#include <algorithm>
#include <limits>

namespace kopix {

namespace {

// One axis of the fit: position and length against the work area's start and length.
void fitAxis(qint64& position, qint64& length, qint64 areaStart, qint64 areaLength) {
    const qint64 areaEnd = areaStart + areaLength;
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

// How far apart two stretches of an axis are; 0 when they overlap.
qint64 gap(qint64 aStart, qint64 aEnd, qint64 bStart, qint64 bEnd) {
    if (aEnd <= bStart)
        return bStart - aEnd;
    if (bEnd <= aStart)
        return aStart - bEnd;
    return 0;
}

qint64 overlap(qint64 aStart, qint64 aEnd, qint64 bStart, qint64 bEnd) {
    return std::max<qint64>(0, std::min(aEnd, bEnd) - std::max(aStart, bStart));
}

} // namespace

QRect WindowRect::bounded() const {
    constexpr qint64 Limit = qint64(1) << 30;
    const auto within = [](qint64 value, qint64 low, qint64 high) { return std::clamp(value, low, high); };
    return QRect(int(within(left, -Limit, Limit)), int(within(top, -Limit, Limit)),
                 int(within(width, 0, Limit)), int(within(height, 0, Limit)));
}

QRect fitToWorkArea(const WindowRect& window, const QRect& workArea) {
    qint64 left = window.left, width = window.width, top = window.top, height = window.height;
    fitAxis(left, width, workArea.x(), workArea.width());
    fitAxis(top, height, workArea.y(), workArea.height());
    // Inside the work area now, so within an int.
    return QRect(int(left), int(top), int(width), int(height));
}

int nearestScreen(const WindowRect& window, const QList<QRect>& screens) {
    const qint64 right = window.left + window.width;
    const qint64 bottom = window.top + window.height;
    int best = -1;
    qint64 bestOverlap = 0;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect& s = screens[i];
        const qint64 area = overlap(window.left, right, s.x(), qint64(s.x()) + s.width()) *
                            overlap(window.top, bottom, s.y(), qint64(s.y()) + s.height());
        if (area > bestOverlap) {
            bestOverlap = area;
            best = i;
        }
    }
    if (best >= 0)
        return best;
    // Squared distances of 32-bit gaps need more than 64 bits; a double tells them apart well enough.
    double bestDistance = std::numeric_limits<double>::max();
    for (int i = 0; i < screens.size(); ++i) {
        const QRect& s = screens[i];
        const double dx = double(gap(window.left, right, s.x(), qint64(s.x()) + s.width()));
        const double dy = double(gap(window.top, bottom, s.y(), qint64(s.y()) + s.height()));
        const double distance = dx * dx + dy * dy;
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

QPoint dropDownPosition(const QRect& button, int menuHeight, const QRect& screen) {
    const QPoint under(button.left(), button.top() + button.height());
    // Where the menu does not fit below its button it opens above it, ending at the button's top, rather
    // than being pushed up over the button and the tabs.
    if (qint64(under.y()) + menuHeight > qint64(screen.top()) + screen.height())
        return QPoint(under.x(), button.top() - menuHeight);
    return under;
}

QSize minimumClientSize(const QSize& toolButton) {
    return QSize(5 * toolButton.width(), 5 * toolButton.height());
}

} // namespace kopix
