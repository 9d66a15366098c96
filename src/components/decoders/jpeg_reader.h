// JPEG through libjpeg-turbo: decodes at the smallest DCT scale (1/8 ... 1) that still fills
// the hint box, so a 24-megapixel photo previews at about an eighth of the work, and applies
// the EXIF orientation so the picture comes out upright.
#pragma once

#include "components/decoders/picture.h"

#include <QByteArray>
#include <cstdio>

namespace decoders {

Picture readJpeg(std::FILE* file, QSize hint);

} // namespace decoders
