// HEIF pictures: HEIC through libheif, AVIF through libavif (with dav1d it decodes AVIF about
// three times faster here than libheif does). Both turn the picture upright by the file's own
// rotation and mirror properties, which the HEIF rules make the authority: the EXIF
// orientation inside such a file only repeats them. A HEIC preview uses an embedded thumbnail
// when it is large enough for the box. Bits per pixel: the stored bit depth times the
// channels, so 24 for 8-bit colour, 30 for 10-bit, 32 for 8-bit with alpha.
#pragma once

#include "components/decoders/picture.h"

#include <QByteArray>

namespace decoders {

Picture readHeif(const QByteArray& bytes, QSize hint, bool factsOnly = false);
Picture readAvif(const QByteArray& bytes, QSize hint, bool factsOnly = false);

} // namespace decoders
