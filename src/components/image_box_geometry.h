// Sizing arithmetic of the image box, kept free of widgets so it can be checked by itself.
#pragma once

#include <QRect>
#include <QSize>

namespace components {

// The size a picture is shown at in a box: its own size when it fits, else shrunk to fit with
// its aspect ratio kept (never below one pixel a side).
QSize fitInBox(QSize picture, QSize box);

// A length of the picture drawn at zoom, in whole pixels: whole factors multiply exactly, the
// others round to the nearest pixel with halves to the even neighbour (101 at 50 % gives 50);
// never below one pixel for a length above 0. The full-size window sizes its client area with
// the same rounding, so a picture that fits its window never brings up scroll bars.
int zoomedLength(int length, double zoom);

// The picture's size drawn at zoom, each side by zoomedLength.
QSize zoomedSize(QSize picture, double zoom);

// How many device pixels a logical size covers on a screen of this pixel ratio (a scaled or
// high-density screen has more than one device pixel to each logical one), rounded up.
QSize devicePixels(QSize logical, double ratio);

// The picture pixels that cover the widget rectangle exposed when the picture is drawn at
// zoom (whole pixels, clipped to the picture).
QRect sourceRectFor(const QRect& exposed, double zoom, QSize picture);

} // namespace components
