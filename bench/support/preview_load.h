// The preview load as the browser does it: FileName set on a 200 x 200 preview box, then the
// box drawn once. Reports a failed load on the error output.
#pragma once

#include <QString>

namespace bench {

void previewLoad(const QString& path);

} // namespace bench
