// The preview load as the browser does it: FileName set on a 200 x 200 preview box, its
// background decode waited for, then the box drawn once. Reports a failed load on the error output.
#pragma once

#include <QString>

namespace bench {

void previewLoad(const QString& path);

// Keeps the program from holding decoded pictures for stepping (a cap smaller than any
// preview), so that every load decodes: call before the first load.
void decodeEveryLoad();

} // namespace bench
