// JPEG XL through libjxl, which turns the picture upright itself. A preview takes the decoded
// rows as they come and averages them straight into the reduced picture, so it never holds the
// whole picture; the full size decodes into one buffer. Animations give their first frame.
#pragma once

#include "components/decoders/picture.h"

#include <QByteArray>

namespace decoders {

Picture readJxl(const QByteArray& bytes, QSize hint, bool factsOnly = false);

} // namespace decoders
