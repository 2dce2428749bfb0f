#include "session/WindowBounds.h"

#include <algorithm>

namespace kelvo {
namespace {

qint64 OverlapArea(const QRect& a, const QRect& b) {
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : qint64(both.width()) * both.height();
}

int Clamped(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}

} // namespace

QRect ReachableBounds(const QRect& stored, const QList<QRect>& availableScreens,
                      const QSize& minimum) {
    if (availableScreens.isEmpty())
        return stored;
    const QRect screen = *std::max_element(
        availableScreens.begin(), availableScreens.end(), [&](const QRect& a, const QRect& b) {
            return OverlapArea(stored, a) < OverlapArea(stored, b);
        });
    const int width =
        Clamped(stored.width(), std::min(minimum.width(), screen.width()), screen.width());
    const int height =
        Clamped(stored.height(), std::min(minimum.height(), screen.height()), screen.height());
    const int left = Clamped(stored.x(), screen.left(), screen.right() + 1 - width);
    const int top = Clamped(stored.y(), screen.top(), screen.bottom() + 1 - height);
    return QRect(left, top, width, height);
}

int ReachablePaneSize(int stored, int room, int minimum) {
    if (room < 2 * minimum)
        return std::max(0, room / 2);
    return Clamped(stored, minimum, room - minimum);
}

} // namespace kelvo
