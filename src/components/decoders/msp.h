// Microsoft Paint pictures (.msp) of Windows 1 and 2, always one bit per pixel.
//
// A 32-byte header of 16-bit little-endian words: key "DanM" (version 1) or "LinS" (version 2),
// width, height, then aspect and printer values and a checksum that are not needed here.
// Version 1 follows with the rows uncompressed, (width + 7) / 8 bytes each. Version 2 follows
// with a map of one 16-bit length per row, then the rows, each packed on its own:
//   00 n v   the byte v n times;
//   n ...    (n > 0) n literal bytes.
// A set bit is white, a clear bit black.
#pragma once

#include "components/decoders/picture.h"

#include <QByteArray>

namespace decoders {

// Reduced towards hint as it decodes (see row_sink.h). factsOnly: the header's facts alone.
Picture readMsp(const QByteArray& bytes, QSize hint, bool factsOnly = false);

} // namespace decoders
