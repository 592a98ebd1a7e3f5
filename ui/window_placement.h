// Where a window opens.
#pragma once

#include <QRect>

class QWidget;

namespace tessaline {

// Moves `window` so that its frame is centred on `target`, then as little as
// needed to keep it inside `available` (its top-left corner last, so that a
// window larger than `available` keeps its title bar in reach).
void centreWindow(QWidget& window, const QRect& target, const QRect& available);

// The available area of the screen `window` is on (or the primary screen);
// an empty rectangle when there is no screen.
QRect availableScreenArea(const QWidget& window);

}  // namespace tessaline
