// PC Paint / Pictor pictures (.pic).
//
// Header, little-endian: 16-bit signature 0x1234, width, height, x and y offset; a byte with
// bits per pixel (low nibble) and planes minus one (high nibble); 0xFF marking the extended
// header, which goes on with a video-mode byte, a 16-bit palette type, a 16-bit palette length
// and the palette (type 1 and 2: EGA colour codes, one byte each, bits rgbRGB; type 4: red,
// green, blue bytes 0 ... 63). Then a 16-bit block count (0: the pixels follow unpacked) and
// the blocks: 16-bit block length (its 5 header bytes included), 16-bit unpacked length and a
// run marker byte, then the packed bytes, in which the marker starts a run: a count byte (0:
// a 16-bit count follows) and the value to repeat; every other byte is itself.
// The unpacked pixels are rows from the bottom up, each (width * bits + 7) / 8 bytes, pixels
// packed from the high bits; with several planes, each plane's whole picture follows the
// previous one, and plane 0 gives the lowest bit of a pixel's colour index.
#pragma once

#include "components/decoders/picture.h"

#include <QByteArray>

namespace decoders {

// Reduced towards hint as it decodes (see row_sink.h). factsOnly: the header's facts alone.
Picture readPcPaint(const QByteArray& bytes, QSize hint, bool factsOnly = false);

} // namespace decoders
