// Amiga IFF pictures: ILBM (bit planes) and PBM (one byte per pixel, DPaint's chunky form).
//
// "FORM", a 32-bit big-endian length, "ILBM" or "PBM ", then chunks: a 4-letter name, a
// 32-bit big-endian length, the data, one pad byte when the length is odd. Used here:
//   BMHD  width, height (16 bits), x, y, planes (8 bits), masking (1 = a mask plane follows
//         each row's planes), compression (0 none, 1 ByteRun1), pad, transparent colour,
//         aspect, page size;
//   CMAP  red, green, blue bytes per colour;
//   CAMG  the Amiga display mode: 0x800 HAM (hold-and-modify), 0x80 extra half-brite;
//   BODY  the rows, top first. ILBM: each plane's row in turn (plane 0 lowest bit), a row
//         being ((width + 15) / 16) * 2 bytes. PBM: width bytes rounded up to even.
// ByteRun1: n in 0 ... 127 takes n + 1 literal bytes; -127 ... -1 repeats the next byte
// 1 - n times; -128 does nothing. 24 planes are 8 red, 8 green, 8 blue planes.
#pragma once

#include "components/decoders/picture.h"

#include <QByteArray>

namespace decoders {

// Reduced towards hint as it decodes (see row_sink.h). factsOnly: the header's facts alone.
Picture readIlbm(const QByteArray& bytes, QSize hint, bool factsOnly = false);

} // namespace decoders
