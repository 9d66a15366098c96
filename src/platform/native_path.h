// File names that are not valid UTF-8 cannot travel through a QString and back. Readers that
// take a QString path reach such a file through a stand-in link instead.
#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// A path the QString-based readers can open for the file at native: the decoded path itself
// when it encodes back to the same bytes, else a link in a private temporary folder that
// points at native and keeps its extension. The link is only for reading: operations that
// change files must use the real path.
QString readablePath(const QByteArray& native);

} // namespace platform
