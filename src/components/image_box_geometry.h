// Sizing arithmetic of the image box, kept free of widgets so it can be checked by itself.
#pragma once

#include <QRect>
#include <QSize>

namespace components {

// The size a picture is shown at in a box: its own size when it fits, else shrunk to fit with
// its aspect ratio kept (never below one pixel a side).
QSize fitInBox(QSize picture, QSize box);

// The picture's size drawn at zoom, rounded to whole pixels.
QSize zoomedSize(QSize picture, double zoom);

// The picture pixels that cover the widget rectangle exposed when the picture is drawn at
// zoom (whole pixels, clipped to the picture).
QRect sourceRectFor(const QRect& exposed, double zoom, QSize picture);

} // namespace components
