// The long tail of formats through GraphicsMagick (read from memory with the format named, as
// several of them carry no signature), plus the bits per pixel each of them stores.
#pragma once

#include "components/decoders/format.h"
#include "components/decoders/picture.h"
#include "components/decoders/stored_bits.h"

#include <QByteArray>

namespace decoders {

// factsOnly: size and bits per pixel from the header (GraphicsMagick's ping), no pixels.
Picture readWithMagick(const QByteArray& bytes, Format format, QSize hint, bool factsOnly = false);

} // namespace decoders
