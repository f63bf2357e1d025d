#pragma once
// Where a new converter dialog goes: beside its owner window when the
// screen has room, so the owner stays in sight and usable.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace app {

// The top left corner for a window frame of the given size, the index-th one
// opened beside owner (its frame), within the available screen area:
// 1. right of owner, else left, below or above it, where the frame fits,
//    each later one a step further on;
// 2. else clear of keep, the controls of owner that must stay in sight (its
//    buttons): above, below, right or left of them, or in a corner of the
//    area, whichever covers the least of owner and of the others (the
//    frames of the windows opened before);
// 3. else, on a screen too small for that, where it covers the fewest of
//    keep: one of those places, or cascaded from the area's corner.
QPoint BesideOwner(const QRect& owner, const QList<QRect>& keep, const QSize& frame,
                   const QRect& available, int index, const QList<QRect>& others = {});

} // namespace app
