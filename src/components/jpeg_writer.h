// Writing a picture as a JPEG file, safely: the file is written beside the target under a
// temporary name and renamed over it only when complete, so a failed write leaves an existing
// file as it was.
#pragma once

#include <QImage>
#include <QString>

namespace components {

constexpr int kJpegQuality = 90;

// Transparent parts are laid on white. Raises platform::GlimraError with the system's reason
// when the file cannot be written.
void writeJpeg(const QImage& image, const QString& path);

} // namespace components
