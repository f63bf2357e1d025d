#include "app/WindowPlacement.h"

#include <algorithm>
#include <utility>

namespace app {

namespace {

constexpr int kGap = 8;     // between owner and window
constexpr int kKeepGap = 2; // between the part kept in sight and window
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

QPoint BesideOwner(const QRect& owner, const QList<QRect>& keep, const QSize& frame,
                   const QRect& available, int index, const QList<QRect>& others) {
    QRect kept; // all of keep
    for (const QRect& control : keep)
        kept |= control;
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
        {owner.left() + step, kept.top() - kKeepGap - frame.height() - step}, // above
        {owner.left() + step, kept.bottom() + 1 + kKeepGap + step},           // below
        {kept.right() + 1 + kKeepGap + step, owner.top() + step},             // right
        {kept.left() - kKeepGap - frame.width() - step, owner.top() + step},  // left
        available.topLeft(),                                                   // corners
        {available.right() + 1 - frame.width(), available.top()},
        {available.left(), available.bottom() + 1 - frame.height()},
        {available.right() + 1 - frame.width(), available.bottom() + 1 - frame.height()},
        available.topLeft() + QPoint(step, step)}; // cascaded
    // The fewest of keep covered, then the least of owner and the others.
    QPoint best;
    std::pair<long long, long long> least(-1, -1);
    for (const QPoint& wanted : besideKeep) {
        const QPoint corner = Onto(wanted, frame, available);
        const QRect placed(corner, frame);
        std::pair<long long, long long> covered(0, Area(placed & owner));
        for (const QRect& control : keep)
            covered.first += placed.intersects(control) ? 1 : 0;
        for (const QRect& other : others)
            covered.second += Area(placed & other);
        if (least.first < 0 || covered < least) {
            best = corner;
            least = covered;
        }
    }
    return best;
}

} // namespace app
