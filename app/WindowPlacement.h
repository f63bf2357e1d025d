#pragma once
// Where a new converter dialog goes: beside its owner window when the
// screen has room, so the owner stays in sight and usable.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace app {

// The top left corner for a window frame of the given size, the index-th one
// opened beside owner (its frame), within the available screen area, each
// later one a step further on:
// 1. right of owner, else left, below or above it, where the frame fits;
// 2. else beside keep, the part of owner that must stay in sight (its
//    buttons): above, below, right or left of it, whichever covers the
//    least of owner;
// 3. else, on a screen too small for either, cascaded from the area's top
//    left corner.
QPoint BesideOwner(const QRect& owner, const QRect& keep, const QSize& frame,
                   const QRect& available, int index);

} // namespace app
