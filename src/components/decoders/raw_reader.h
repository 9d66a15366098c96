// Camera RAW through LibRaw, read for the preview the camera embedded (a JPEG, sometimes a
// plain bitmap): fast, and what the camera showed on its own screen. The facts describe the
// RAW picture itself: its full upright size, and 24 bits per pixel for the preview shown. The
// preview is turned upright by the RAW's orientation unless its own EXIF block already says
// how it stands.
#pragma once

#include "components/decoders/picture.h"

#include <QByteArray>

namespace decoders {

Picture readRaw(const QByteArray& bytes, QSize hint, bool factsOnly = false);

// The EXIF orientation a RAW's sideways flag (LibRaw's "flip": 4 transposes, 2 mirrors top to
// bottom, 1 left to right) stands for.
int orientationOfFlip(int flip);

} // namespace decoders
