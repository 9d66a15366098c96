#include "components/decoders/picture.h"

#include <algorithm>

namespace decoders {

Picture failure(const QString& why) {
    Picture p;
    p.error = why.isEmpty() ? QStringLiteral("unreadable picture") : why;
    return p;
}

bool sizeAcceptable(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPixels && height <= kMaxPixels &&
           width * height <= kMaxPixels;
}

int reductionFor(QSize picture, QSize hint) {
    if (hint.isEmpty() || picture.isEmpty())
        return 1;
    // The picture fits the box at scale min(hw / w, hh / h); a reduction by r keeps at least that
    // size while r <= max(w / hw, h / hh).
    return std::max({1, picture.width() / hint.width(), picture.height() / hint.height()});
}

Picture finish(QImage image, int bitsPerPixel, QSize hint, bool animated) {
    if (image.isNull())
        return failure(QStringLiteral("no pixels"));
    Picture p;
    p.width = image.width();
    p.height = image.height();
    p.bitsPerPixel = bitsPerPixel;
    p.animated = animated;
    const int r = reductionFor(image.size(), hint);
    if (r >= 2)
        image = image.scaled(image.width() / r, image.height() / r, Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    p.image = std::move(image);
    return p;
}

Picture finishReduced(QImage image, QSize fullSize, int bitsPerPixel, QSize hint) {
    if (image.isNull() || fullSize.isEmpty())
        return failure(QStringLiteral("no pixels"));
    Picture p = finish(std::move(image), bitsPerPixel, hint);
    p.width = fullSize.width();
    p.height = fullSize.height();
    return p;
}

QSize fittedSize(QSize picture, QSize hint) {
    if (hint.isEmpty() || picture.isEmpty() ||
        (picture.width() <= hint.width() && picture.height() <= hint.height()))
        return picture;
    const QSize fitted = picture.scaled(hint, Qt::KeepAspectRatio);
    return fitted.expandedTo(QSize(1, 1));
}

} // namespace decoders
