#include "components/decoders/svg_reader.h"

#include <QPainter>
#include <QSvgRenderer>

namespace decoders {

Picture readSvg(const QByteArray& bytes, QSize hint) {
    // Qt SVG inflates a gzip stream (SVGZ) itself.
    QSvgRenderer renderer(bytes);
    if (!renderer.isValid())
        return failure(QStringLiteral("unreadable SVG file"));
    const QSize full = renderer.defaultSize();
    if (!sizeAcceptable(full.width(), full.height()))
        return failure(QStringLiteral("drawing without a usable size"));
    QImage image(fittedSize(full, hint), QImage::Format_ARGB32_Premultiplied);
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
