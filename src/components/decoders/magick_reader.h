// The long tail of formats through GraphicsMagick (read from memory with the format named, as
// several of them carry no signature), plus the bits per pixel each of them stores.
#pragma once

#include "components/decoders/format.h"
#include "components/decoders/picture.h"

#include <QByteArray>

namespace decoders {

Picture readWithMagick(const QByteArray& bytes, Format format, QSize hint);

// Bits per pixel a file of this format stores, read from its header; 0 when the header does
// not say (the caller then takes what the decoder found).
int storedBitsPerPixel(const QByteArray& bytes, Format format);

} // namespace decoders
