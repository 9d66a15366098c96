// The first frame of a GIF on its logical screen, decoded by our own LZW reader row by row
// into a RowSink (see row_sink.h), for the decoder helper. Qt's reader, used in the program for
// GIFs of a modest screen, allocates the whole screen at 32 bits for every frame: a 4 KB file
// claiming a 16000 x 16000 screen took a gigabyte and seconds. Here a preview holds the
// preview's memory and the full size one byte a pixel.
//
// As Qt shows it: where the first frame does not cover the screen, the screen is transparent
// when the frame has a transparent colour, else the background colour of the global colour
// table (colour 0 without one). A file that ends inside the frame shows the rows it holds.
#pragma once

#include "components/decoders/picture.h"

#include <QByteArray>

namespace decoders {

// animated in the result: the file holds more than one frame. factsOnly: the screen's size and
// the bits per pixel of the colour table, from the header alone.
Picture readGif(const QByteArray& bytes, QSize hint, bool factsOnly = false);

} // namespace decoders
