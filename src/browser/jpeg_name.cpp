#include "browser/jpeg_name.h"

namespace browser {

QByteArray proposedJpegName(const QByteArray& path) {
    QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    const qsizetype dot = name.lastIndexOf('.');
    if (dot > 0)
        name.truncate(dot);
    return name + ".jpg";
}

} // namespace browser
