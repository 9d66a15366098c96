#include "browser/media_picture.h"

#include "browser/preview_text.h"
#include "components/decoders/file_types.h"
#include "components/image_box.h"

namespace browser {

bool mayCarryPicture(const QString& path) {
    const std::optional<decoders::FileType> type = decoders::fileTypeOf(path);
    return type && type->added &&
           (type->kind == decoders::FileKind::Sound || type->kind == decoders::FileKind::Video);
}

bool showMediaPicture(TGvbox& box, const QString& path, const QString& execDir) {
    if (mayCarryPicture(path)) {
        box.setFileName(path);
        if (box.bmpw() > 0)
            return false;
    }
    box.setFileName(placeholderFor(path, execDir));
    return true;
}

} // namespace browser
