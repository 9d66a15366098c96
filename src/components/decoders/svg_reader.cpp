#include "components/decoders/svg_reader.h"

#include "components/decoders/budget.h"

#include <QPainter>
#include <QSvgRenderer>

namespace decoders {

Picture readSvg(const QByteArray& bytes, QSize hint, bool factsOnly) {
    // Qt SVG inflates a gzip stream (SVGZ) itself.
    QSvgRenderer renderer(bytes);
    if (!renderer.isValid())
        return failure(QStringLiteral("unreadable SVG file"));
    const QSize full = renderer.defaultSize();
    if (!sizeAcceptable(full.width(), full.height()))
        return failure(QStringLiteral("drawing without a usable size"));
    if (factsOnly)
        return factsOnlyPicture(full, 24);
    const QSize drawn = fittedSize(full, hint);
    if (!fitsBudget(drawn.width(), drawn.height(), 4, decodeBudget()))
        return failure(QStringLiteral("picture too large"));
    QImage image(drawn, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return failure(QStringLiteral("out of memory"));
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    painter.end();
    return finishReduced(std::move(image), full, 24, hint);
}

} // namespace decoders
