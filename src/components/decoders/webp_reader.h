// WebP through libwebp: a still picture is decoded straight at the size that fills the hint
// box (libwebp scales while it decodes, so a preview never holds the whole picture); an
// animation gives its first frame. The EXIF orientation of the file's EXIF chunk is applied.
#pragma once

#include "components/decoders/picture.h"

#include <QByteArray>

namespace decoders {

Picture readWebP(const QByteArray& bytes, QSize hint, bool factsOnly = false);

} // namespace decoders
