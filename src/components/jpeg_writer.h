// Writing a picture as a JPEG file, safely: the file is written beside the target under a
// temporary name and renamed over it only when complete, so a failed write leaves an existing
// file as it was.
#pragma once

#include "platform/native_path.h"

#include <QImage>

namespace components {

constexpr int kJpegQuality = 90;

// Transparent parts are laid on white. Raises platform::GlimraError with the system's reason
// when the file cannot be written. A file without write permission is refused (also for root,
// as a read-only file is on Windows); a symbolic link is written through, so the link stays
// and the file it names gets the picture.
void writeJpeg(const QImage& image, const platform::NativePath& path);

} // namespace components
