// GEM bit images (.img, .gem), as written by GEM Paint, Ventura and pbmtogem.
//
// Header, 16-bit big-endian words: version, header length in words (8, more with an XIMG
// palette), number of planes, pattern length in bytes, pixel width and height in microns,
// line width in pixels, number of lines. An "XIMG" extension (words 8-9) is followed by a
// colour model word (0 = RGB) and one red, green, blue triple per colour, each 0 ... 1000.
// The data is one scan line after another, each line being every plane's row in turn, a row
// (width + 7) / 8 bytes. Within a row:
//   00 00 FF n   (only at the start of a line) the line that follows is used n times;
//   00 n p...    the pattern p (pattern-length bytes) n times;
//   80 n b...    n literal bytes;
//   other b      b & 7F bytes of FF when bit 7 is set, of 00 otherwise.
// A set bit is black in a one-plane picture; with several planes the bits of a pixel, plane 0
// lowest, index the palette (XIMG's, else the 16 standard GEM colours).
#pragma once

#include "components/decoders/picture.h"

#include <QByteArray>

namespace decoders {

// Reduced towards hint as it decodes (see row_sink.h). factsOnly: the header's facts alone.
Picture readGemImg(const QByteArray& bytes, QSize hint, bool factsOnly = false);

} // namespace decoders
