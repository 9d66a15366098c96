// Placing top-level windows by their outer (frame) rectangle, as GLIM.INI stores them.
#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

namespace platform {

// Moves the window's outer top-left corner to topLeft.
void moveOuter(QWidget* window, QPoint topLeft);

// Gives the window this outer size. The frame is known only once the window manager has
// framed the window, so the client size is corrected again when the window is first shown.
void resizeOuter(QWidget* window, QSize outer);

// A saved position for a window of this outer size: as it is when any part of the window lies
// on a screen, else the primary screen's top-left corner (a monitor was removed).
QPoint keepOnScreen(QPoint topLeft, QSize outer);

// Centres the window's outer rectangle on the primary screen.
void centreOnScreen(QWidget* window);

} // namespace platform
