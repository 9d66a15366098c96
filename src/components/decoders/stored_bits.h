// The bits per pixel a file stores, read from its header, for the formats whose decoder does
// not tell it; and the size of the formats whose decoder reads the whole file to tell it.
#pragma once

#include "components/decoders/format.h"

#include <QByteArray>
#include <QSize>

namespace decoders {

// Bits per pixel a file of this format stores, read from its header (the first 64 bytes are
// enough); 0 when the header does not say (the caller then takes what the decoder found).
int storedBitsPerPixel(const QByteArray& bytes, Format format);

// The picture size a TGA or PCX header states, for a header GraphicsMagick reads the same way
// (a known kind of picture, a depth it decodes); empty for other formats or another header.
// GraphicsMagick reads a whole TGA or PCX file even to ping it: 0.3 and 0.7 s for 24
// megapixels, which the facts of a selected file must not cost.
QSize storedSize(const QByteArray& bytes, Format format);

} // namespace decoders
