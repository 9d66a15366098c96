#include "components/decoders/file_types.h"

namespace decoders {

std::optional<FileType> fileTypeOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || dot < slash)
        return std::nullopt;
    const QStringView extension = QStringView(path).mid(dot + 1);
    for (const FileType& type : kFileTypes)
        if (extension.compare(QLatin1String(type.extension), Qt::CaseInsensitive) == 0)
            return type;
    return std::nullopt;
}

} // namespace decoders
