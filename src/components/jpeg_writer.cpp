#include "components/jpeg_writer.h"

#include "platform/errors.h"

#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

namespace components {

namespace {

[[noreturn]] void fail(const QString& path, const QString& reason) {
    throw platform::GlimraError(QStringLiteral("Cannot write %1: %2").arg(path, reason));
}

} // namespace

void writeJpeg(const QImage& image, const QString& path) {
    if (image.isNull())
        fail(path, QStringLiteral("there is no picture to save"));
    QImage flat(image.size(), QImage::Format_RGB32);
    if (flat.isNull())
        fail(path, QStringLiteral("not enough memory"));
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(path, file.errorString());
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(kJpegQuality);
    if (!writer.write(flat)) {
        const QString reason =
            file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
        file.cancelWriting();
        fail(path, reason);
    }
    if (!file.commit())
        fail(path, file.errorString());
}

} // namespace components
