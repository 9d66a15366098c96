#include "components/decoders/picture.h"

#include <algorithm>
#include <iterator>
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
template <QImage::Format F> inline int indexAt(const uchar* row, int x) {
    if constexpr (F == QImage::Format_Mono)
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    else if constexpr (F == QImage::Format_MonoLSB)
        return (row[x >> 3] >> (x & 7)) & 1;
    else
        return row[x];
}

inline int indexAt(const uchar* row, int x, QImage::Format format) {
    switch (format) {
    case QImage::Format_Mono:
        return indexAt<QImage::Format_Mono>(row, x);
    case QImage::Format_MonoLSB:
        return indexAt<QImage::Format_MonoLSB>(row, x);
    default:
        return indexAt<QImage::Format_Indexed8>(row, x);
    }
}

// Running sums of the four channels, kept apart from the palette so that they stay in
// registers.
struct Sums {
    std::uint32_t red = 0, green = 0, blue = 0, alpha = 0;
    void add(QRgb c) { red += qRed(c), green += qGreen(c), blue += qBlue(c), alpha += qAlpha(c); }
    void into(std::uint32_t* s) const { s[0] += red, s[1] += green, s[2] += blue, s[3] += alpha; }
};

// Which pixels of a block are averaged along one direction: count of them, step apart, the first
// at start.
struct Samples {
    int start = 0;
    int step = 1;
    int count = 1;
};

constexpr int kMaxSamples = 16;

Samples samplesFor(int r) {
    if (r <= kMaxSamples)
        return {0, 1, r};
    // The widest odd step that keeps all samples in the block: an odd step meets every phase of
    // a pattern that repeats every 2, 4, 8 or 16 pixels (dithers, halftones, fine stripes)
    // equally often, where an even one would see only some of its pixels.
    int step = (r - 1) / (kMaxSamples - 1);
    if (step % 2 == 0)
        --step;
    const int span = (kMaxSamples - 1) * step + 1;
    return {(r - span) / 2, step, kMaxSamples};
}

// Adds the samples of blocks [0, whole) of one row, all of whose samples lie in the row.
template <QImage::Format F>
void addWholeBlocks(const uchar* row, const QRgb* palette, int whole, int r, Samples across,
                    std::uint32_t* sums) {
    for (int x = 0; x < whole; ++x, sums += 4) {
        const int first = x * r + across.start;
        Sums block;
        if (across.step == 1) {
            for (int i = 0; i < across.count; ++i)
                block.add(palette[indexAt<F>(row, first + i)]);
        } else {
            for (int i = 0, sx = first; i < across.count; ++i, sx += across.step)
                block.add(palette[indexAt<F>(row, sx)]);
        }
        block.into(sums);
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
    QRgb palette[256];
    std::fill(std::begin(palette), std::end(palette), qRgb(0, 0, 0));
    if (format == QImage::Format_Grayscale8) {
        for (int i = 0; i < 256; ++i)
            palette[i] = qRgb(i, i, i);
    } else {
        const QList<QRgb> table = image.colorTable();
        std::copy_n(table.cbegin(), std::min<qsizetype>(table.size(), 256), palette);
    }
    QImage out(w, h, image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull())
        return out;
    const Samples samples = samplesFor(r);
    const int last = samples.start + (samples.count - 1) * samples.step;
    // Blocks [0, whole) have every sample inside the picture; the rest (only ever the one block
    // of a picture narrower than r) repeat its last column.
    const int whole =
        image.width() - 1 < last ? 0 : std::min(w, (image.width() - 1 - last) / r + 1);
    std::vector<std::uint32_t> sums(std::size_t(w) * 4);
    const std::uint32_t n = std::uint32_t(samples.count) * std::uint32_t(samples.count);
    for (int y = 0; y < h; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int i = 0; i < samples.count; ++i) {
            const int sy = std::min(y * r + samples.start + i * samples.step, image.height() - 1);
            const uchar* row = image.constScanLine(sy);
            switch (format) {
            case QImage::Format_Mono:
                addWholeBlocks<QImage::Format_Mono>(row, palette, whole, r, samples, sums.data());
                break;
            case QImage::Format_MonoLSB:
                addWholeBlocks<QImage::Format_MonoLSB>(row, palette, whole, r, samples,
                                                       sums.data());
                break;
            default:
                addWholeBlocks<QImage::Format_Indexed8>(row, palette, whole, r, samples,
                                                        sums.data());
                break;
            }
            for (int x = whole; x < w; ++x) {
                Sums block;
                for (int j = 0; j < samples.count; ++j) {
                    const int sx =
                        std::min(x * r + samples.start + j * samples.step, image.width() - 1);
                    block.add(palette[indexAt(row, sx, format)]);
                }
                block.into(&sums[std::size_t(x) * 4]);
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
