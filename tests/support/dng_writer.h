// A DNG file as cameras and converters write one, for the tests and benchmarks of camera RAW
// (no Debian tool writes DNG): the first directory holds the JPEG preview and the orientation,
// a sub-directory the raw sensor data.
#pragma once

#include <QByteArray>
#include <QSize>

namespace test {

// LibRaw reads no raw picture under 22 pixels a side.
QByteArray buildDng(const QByteArray& previewJpeg, QSize rawSize, int orientation);

} // namespace test
