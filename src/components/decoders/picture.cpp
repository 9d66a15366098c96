#include "components/decoders/picture.h"

#include <algorithm>
#include <vector>

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

namespace {

// The colour index of pixel x in a row of a 1-bit or 8-bit picture.
inline int indexAt(const uchar* row, int x, QImage::Format format) {
    switch (format) {
    case QImage::Format_Mono:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case QImage::Format_MonoLSB:
        return (row[x >> 3] >> (x & 7)) & 1;
    default:
        return row[x];
    }
}

} // namespace

QImage shrinkByBlocks(const QImage& image, int r) {
    const QImage::Format format = image.format();
    const bool indexed = format == QImage::Format_Mono || format == QImage::Format_MonoLSB ||
                         format == QImage::Format_Indexed8;
    // A thin picture keeps at least one pixel across.
    const int w = std::max(1, image.width() / r), h = std::max(1, image.height() / r);
    if (!indexed && format != QImage::Format_Grayscale8)
        return image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QList<QRgb> palette = image.colorTable();
    if (format == QImage::Format_Grayscale8)
        for (int i = 0; i < 256; ++i)
            palette.append(qRgb(i, i, i));
    palette.resize(256, qRgb(0, 0, 0));
    QImage out(w, h, image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull())
        return out;
    std::vector<std::uint32_t> sums(std::size_t(w) * 4);
    const std::uint32_t n = std::uint32_t(r) * std::uint32_t(r);
    for (int y = 0; y < h; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int dy = 0; dy < r; ++dy) {
            const uchar* row = image.constScanLine(std::min(y * r + dy, image.height() - 1));
            for (int x = 0; x < w; ++x) {
                std::uint32_t* s = &sums[std::size_t(x) * 4];
                for (int dx = 0; dx < r; ++dx) {
                    const int sx = std::min(x * r + dx, image.width() - 1);
                    const QRgb c = palette[indexAt(row, sx, format)];
                    s[0] += qRed(c), s[1] += qGreen(c), s[2] += qBlue(c), s[3] += qAlpha(c);
                }
            }
        }
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const std::uint32_t* s = &sums[std::size_t(x) * 4];
            line[x] = qRgba(int(s[0] / n), int(s[1] / n), int(s[2] / n), int(s[3] / n));
        }
    }
    return out;
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
        image = shrinkByBlocks(image, r);
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

Picture factsOnlyPicture(QSize size, int bitsPerPixel) {
    Picture p;
    p.width = size.width();
    p.height = size.height();
    p.bitsPerPixel = bitsPerPixel;
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
