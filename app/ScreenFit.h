#pragma once
// Keeping windows within the screen: the area a window may use, and texts
// (paths, mostly) shortened in the middle so that a box showing them fits.

#include <QRect>
#include <QString>

class QFont;
class QWidget;

namespace app {

// The available area of the screen that near's window is on, or of the
// primary screen when near is null.
QRect AvailableArea(const QWidget* near);

// Moves the window, frame and all, centred on near's window (or the screen
// when near is null), moved onto the available area where it would reach
// beyond it. Before the window is first shown its frame is estimated.
void CentreOnScreen(QWidget* window, const QWidget* near);

// The lines text takes in font, wrapped at word boundaries or, inside a word
// wider than a line, anywhere, at width pixels.
int WrappedLineCount(const QString& text, const QFont& font, int width);

// text itself when, so wrapped, it takes at most maxLines lines. Otherwise
// every word wider than a line (a path) is shortened in the middle
// ("/home/ana/…/tune.txt"); if that is not enough the text is cut after its
// first lines and ends in "…".
QString ShortenedToFit(const QString& text, const QFont& font, int width, int maxLines);

// text as a tooltip: lines of at most about a hundred characters, broken
// after a "/" where the line has one, so that a long path shows whole.
QString WrappedToolTip(const QString& text);

} // namespace app
