// TIFF through libtiff, in the decoder helper: the first picture of the file, read strip by
// strip (or tile by tile) with each row shrunk into the preview as it is decoded (see
// row_sink.h), so a preview costs the preview's memory and a row repeated over the whole
// picture is converted once. The picture is turned upright by its orientation tag.
//
// Grey, palette, RGB and CMYK rows of 1 to 16 bits (and JPEG-compressed YCbCr, which libjpeg
// turns into RGB) are read row by row; other kinds (separate planes, other colour spaces,
// tiles) through libtiff's RGBA interface one strip or tile at a time. What libtiff does not
// read at all is left to GraphicsMagick.
#pragma once

#include "components/decoders/picture.h"

#include <QByteArray>
#include <optional>

namespace decoders {

// The picture, a failure for a file libtiff reads but finds damaged, or nothing when libtiff
// does not read this kind of file (then GraphicsMagick is asked). factsOnly: size and bits
// per pixel from the first directory.
std::optional<Picture> readTiff(const QByteArray& bytes, QSize hint, bool factsOnly = false);

} // namespace decoders
