// SVG and gzip-compressed SVGZ through Qt SVG, drawn straight at the size it is shown at: the
// preview draws it once to fit its box, the full size at the drawing's own size (its width and
// height, else its view box). Like the metafiles, a drawing counts as true colour: 24 bits.
#pragma once

#include "components/decoders/picture.h"

#include <QByteArray>

namespace decoders {

Picture readSvg(const QByteArray& bytes, QSize hint, bool factsOnly = false);

} // namespace decoders
