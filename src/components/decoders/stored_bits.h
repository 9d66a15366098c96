// The bits per pixel a file stores, read from its header, for the formats whose decoder does
// not tell it.
#pragma once

#include "components/decoders/format.h"

#include <QByteArray>

namespace decoders {

// Bits per pixel a file of this format stores, read from its header (the first 64 bytes are
// enough); 0 when the header does not say (the caller then takes what the decoder found).
int storedBitsPerPixel(const QByteArray& bytes, Format format);

} // namespace decoders
