// The one entry to picture decoding: a path (or bytes) in, a Picture out. No widgets here; the
// image box only shows what comes back.
#pragma once

#include "components/decoders/format.h"
#include "components/decoders/picture.h"

#include <QByteArray>
#include <QSize>
#include <QString>

namespace decoders {

// hint: the box the picture will be shown in, when smaller pixels suffice (the preview);
// an empty hint decodes at full size.
Picture decodeFile(const QString& path, QSize hint = {});

// The same from bytes already in memory, with the format chosen by the caller.
Picture decodeBytes(const QByteArray& bytes, Format format, QSize hint = {});

} // namespace decoders
