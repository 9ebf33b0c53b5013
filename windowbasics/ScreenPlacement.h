#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace merivox {

// Where a window goes on its screen. frame is the window with its decorations at the place that
// its layout gives, mustSee the part of it that has to stay on the screen (its push buttons), in
// the same coordinates, and available the part of the screen that windows may use. Returns the
// frame's top-left corner: the given one where the window fits, else moved as little as needed
// to fit. A window larger than the screen keeps its top-left corner and mustSee on the screen;
// where the screen cannot hold both, mustSee wins, moved as little as needed.
QPoint placeOnScreen(const QRect &frame, const QRect &mustSee, const QRect &available);

// Moves a window that has been put at its given place onto the available area of the screen
// at that place, keeping its push buttons in view.
void keepOnScreen(QWidget *window);

} // namespace merivox
