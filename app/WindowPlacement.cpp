#include "app/WindowPlacement.h"

#include <algorithm>

namespace app {

namespace {

constexpr int kGap = 8;   // between owner and window
constexpr int kStep = 32; // from one window to the next, so each title bar shows
constexpr int kCascades = 8;

} // namespace

QPoint BesideOwner(const QRect& owner, const QSize& frame, const QRect& available, int index) {
    const int step = (index % kCascades) * kStep;
    const QPoint candidates[] = {
        {owner.right() + 1 + kGap + step, owner.top() + step},              // right
        {owner.left() - kGap - frame.width() - step, owner.top() + step},   // left
        {owner.left() + step, owner.bottom() + 1 + kGap + step},            // below
        {owner.left() + step, owner.top() - kGap - frame.height() - step}}; // above
    // The first that fits; where none does, the one that, pushed onto the
    // screen, covers the least of the owner.
    QPoint best;
    long long leastCovered = -1;
    for (const QPoint& wanted : candidates) {
        const QPoint corner(
            std::clamp(wanted.x(), available.left(),
                       std::max(available.left(), available.right() + 1 - frame.width())),
            std::clamp(wanted.y(), available.top(),
                       std::max(available.top(), available.bottom() + 1 - frame.height())));
        const QRect covered = QRect(corner, frame) & owner;
        const long long area = covered.isEmpty() ? 0 : 1LL * covered.width() * covered.height();
        if (corner == wanted && area == 0)
            return corner;
        if (leastCovered < 0 || area < leastCovered) {
            best = corner;
            leastCovered = area;
        }
    }
    return best;
}

} // namespace app
