// Windows icons and netpbm through Qt's image readers, which measure faster here than
// GraphicsMagick: an icon file shown by its largest picture, and each with the bits per pixel
// its header stores.
#pragma once

#include "components/decoders/format.h"
#include "components/decoders/picture.h"

#include <QByteArray>

namespace decoders {

// format: Ico or Pnm.
Picture readWithQtReader(const QByteArray& bytes, Format format, QSize hint,
                         bool factsOnly = false);

// Bits per pixel of a netpbm header: 1 for bitmaps, 8 or 16 per channel by the largest value.
int netpbmBitsPerPixel(const QByteArray& bytes);

// The index of an icon file's largest picture (the deepest among equals) and its stored bits
// per pixel; index -1 when the directory cannot be read.
struct IconChoice {
    int index = -1;
    int bitsPerPixel = 0;
};
IconChoice largestIcon(const QByteArray& bytes);

} // namespace decoders
