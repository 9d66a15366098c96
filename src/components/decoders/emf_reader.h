// Enhanced metafiles (EMF): the record structure is checked here, then libemf2svg turns the
// records into SVG, which Qt SVG draws at the size the header gives.
//
// Rules checked: the first record is EMR_HEADER (type 1) with " EMF" at byte 40; every record
// is a 32-bit type and a 32-bit size, the size a multiple of 4, at least 8 and within the file;
// the last record is EMR_EOF (type 14). The picture's size in pixels is the header's bounds
// rectangle (inclusive, device pixels), or its frame (0.01 mm) at the header's device
// resolution when the bounds are empty.
#pragma once

#include "components/decoders/picture.h"

#include <QByteArray>

namespace decoders {

// The picture's size by the header, or an empty size when the records are not well formed.
QSize emfSize(const QByteArray& bytes);

Picture readEmf(const QByteArray& bytes, QSize hint);

} // namespace decoders
