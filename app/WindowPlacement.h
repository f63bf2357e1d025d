#pragma once
// Where a new converter dialog goes: beside its owner window when the
// screen has room, so the owner stays in sight and usable.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace app {

// The top left corner for a window frame of the given size, the index-th
// one opened beside owner (its frame), within the available screen area:
// right of owner, else left, below or above, each later one a step further
// on. On a screen too small for any of these, the place that hides the
// least of owner.
QPoint BesideOwner(const QRect& owner, const QSize& frame, const QRect& available, int index);

} // namespace app
