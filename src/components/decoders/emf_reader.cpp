#include "components/decoders/emf_reader.h"

#include "components/decoders/budget.h"
#include "components/decoders/bytes.h"

#include <QPainter>
#include <QSvgRenderer>
#include <cstdlib>
#include <emf2svg.h>

namespace decoders {

namespace {

constexpr std::uint32_t kHeader = 1;
constexpr std::uint32_t kEof = 14;
// Larger metafiles are refused: libemf2svg builds the whole SVG text in memory.
constexpr qsizetype kMaxBytes = qsizetype{64} * 1024 * 1024;

bool recordsWellFormed(const QByteArray& bytes) {
    ByteReader r(bytes);
    std::uint32_t type = 0;
    bool first = true;
    while (r.remaining() >= 8) {
        const qsizetype start = r.pos();
        type = r.u32le();
        const std::uint32_t size = r.u32le();
        if (size < 8 || size % 4 != 0 || size > std::uint32_t(bytes.size() - start))
            return false;
        if (first && (type != kHeader || size < 88))
            return false;
        first = false;
        r.seek(start + qsizetype(size));
        if (type == kEof)
            return true;
    }
    return false;
}

} // namespace

QSize emfSize(const QByteArray& bytes) {
    if (bytes.size() > kMaxBytes || !recordsWellFormed(bytes))
        return {};
    ByteReader r(bytes, 8);
    const auto left = std::int32_t(r.u32le()), top = std::int32_t(r.u32le());
    const auto right = std::int32_t(r.u32le()), bottom = std::int32_t(r.u32le());
    const auto frameLeft = std::int32_t(r.u32le()), frameTop = std::int32_t(r.u32le());
    const auto frameRight = std::int32_t(r.u32le()), frameBottom = std::int32_t(r.u32le());
    r.seek(72);
    const auto devWidth = std::int32_t(r.u32le()), devHeight = std::int32_t(r.u32le());
    const auto mmWidth = std::int32_t(r.u32le()), mmHeight = std::int32_t(r.u32le());
    std::int64_t w = std::int64_t(right) - left + 1;
    std::int64_t h = std::int64_t(bottom) - top + 1;
    if ((w <= 1 || h <= 1) && mmWidth > 0 && mmHeight > 0) {
        w = (std::int64_t(frameRight) - frameLeft) * devWidth / (std::int64_t(mmWidth) * 100);
        h = (std::int64_t(frameBottom) - frameTop) * devHeight / (std::int64_t(mmHeight) * 100);
    }
    if (r.failed() || !sizeAcceptable(w, h))
        return {};
    return QSize(int(w), int(h));
}

Picture readEmf(const QByteArray& bytes, QSize hint) {
    const QSize size = emfSize(bytes);
    if (size.isEmpty())
        return failure(QStringLiteral("damaged metafile"));
    const int reduction = reductionFor(size, hint);
    if (!fitsBudget(size.width() / reduction, size.height() / reduction, 4, decodeBudget()))
        return failure(QStringLiteral("picture needs too much memory"));
    generatorOptions options{};
    options.svgDelimiter = true;
    options.imgWidth = size.width();
    options.imgHeight = size.height();
    char* svg = nullptr;
    std::size_t svgLength = 0;
    QByteArray copy = bytes;
    const int ok = emf2svg(copy.data(), std::size_t(copy.size()), &svg, &svgLength, &options);
    const QByteArray svgText = svg ? QByteArray(svg, qsizetype(svgLength)) : QByteArray();
    std::free(svg);
    if (!ok || svgText.isEmpty())
        return failure(QStringLiteral("damaged metafile"));
    QSvgRenderer renderer(svgText);
    if (!renderer.isValid())
        return failure(QStringLiteral("damaged metafile"));
    // Drawn straight at the reduced size when only a preview is wanted.
    QImage image(std::max(1, size.width() / reduction), std::max(1, size.height() / reduction),
                 QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return failure(QStringLiteral("out of memory"));
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    Picture p;
    p.image = std::move(image);
    p.width = size.width();
    p.height = size.height();
    p.bitsPerPixel = 24;
    return p;
}

} // namespace decoders
