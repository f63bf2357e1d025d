#include "app/WindowPlacement.h"

#include <algorithm>

namespace app {

namespace {

constexpr int kGap = 8;   // between owner and window
constexpr int kStep = 32; // from one window to the next, so each title bar shows
constexpr int kCascades = 8;

// wanted moved the least onto the available area.
QPoint Onto(const QPoint& wanted, const QSize& frame, const QRect& available) {
    return {std::clamp(wanted.x(), available.left(),
                       std::max(available.left(), available.right() + 1 - frame.width())),
            std::clamp(wanted.y(), available.top(),
                       std::max(available.top(), available.bottom() + 1 - frame.height()))};
}

long long Area(const QRect& rect) {
    return rect.isEmpty() ? 0 : 1LL * rect.width() * rect.height();
}

} // namespace

QPoint BesideOwner(const QRect& owner, const QRect& keep, const QSize& frame,
                   const QRect& available, int index) {
    const int step = (index % kCascades) * kStep;
    const QPoint besideOwner[] = {
        {owner.right() + 1 + kGap + step, owner.top() + step},              // right
        {owner.left() - kGap - frame.width() - step, owner.top() + step},   // left
        {owner.left() + step, owner.bottom() + 1 + kGap + step},            // below
        {owner.left() + step, owner.top() - kGap - frame.height() - step}}; // above
    for (const QPoint& wanted : besideOwner)
        if (const QPoint corner = Onto(wanted, frame, available);
            corner == wanted && !QRect(corner, frame).intersects(owner))
            return corner;

    const QPoint besideKeep[] = {
        {owner.left() + step, keep.top() - kGap - frame.height() - step}, // above
        {owner.left() + step, keep.bottom() + 1 + kGap + step},           // below
        {keep.right() + 1 + kGap + step, owner.top() + step},             // right
        {keep.left() - kGap - frame.width() - step, owner.top() + step}}; // left
    QPoint best;
    long long leastCovered = -1;
    for (const QPoint& wanted : besideKeep) {
        const QPoint corner = Onto(wanted, frame, available);
        const QRect placed(corner, frame);
        if (placed.intersects(keep))
            continue;
        if (const long long covered = Area(placed & owner);
            leastCovered < 0 || covered < leastCovered) {
            best = corner;
            leastCovered = covered;
        }
    }
    if (leastCovered >= 0)
        return best;
    return Onto(available.topLeft() + QPoint(step, step), frame, available);
}

} // namespace app
