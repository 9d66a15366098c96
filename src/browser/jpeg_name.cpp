#include "browser/jpeg_name.h"

namespace browser {

QString proposedJpegName(const QString& path) {
    QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0)
        name.truncate(dot);
    return name + QStringLiteral(".jpg");
}

} // namespace browser
