// glimra-decoder-modern: today's picture formats. WebP (libwebp), HEIC (libheif), AVIF
// (libavif), JPEG XL (libjxl), camera RAW (LibRaw), SVG (Qt SVG), and icons and netpbm through
// Qt's image readers. A process apart from GraphicsMagick's (TIFF, which Qt's reader would
// decode whole, is read by libtiff in glimra-decoder, row by row into the preview).
#include "components/decoders/heif_reader.h"
#include "components/decoders/jxl_reader.h"
#include "components/decoders/picture.h"
#include "components/decoders/qt_reader.h"
#include "components/decoders/raw_reader.h"
#include "components/decoders/svg_reader.h"
#include "components/decoders/webp_reader.h"
#include "decoder_helper/readers.h"

#include <QBuffer>
#include <QImageReader>

namespace decoder_helper {

using decoders::Format;
using decoders::Picture;

void prepareReaders(int& argc, char** argv) {
    startQtDrawing(argc, argv); // text in a drawing
    // The decode budget is checked before the pixels; Qt's own guard would refuse pictures
    // well below it.
    QImageReader::setAllocationLimit(int(decoders::kMaxPixels * 8 / (1024 * 1024)) + 1);
    // Qt loads its image reader plugins on first use, by name: each is used once here.
    for (const char* format : {"ico", "ppm", "svg"}) {
        QByteArray nothing;
        QBuffer buffer(&nothing);
        buffer.open(QIODevice::ReadOnly);
        QImageReader(&buffer, format).canRead();
    }
}

Picture readInHelper(const QByteArray& bytes, Format format, QSize hint, bool factsOnly) {
    switch (format) {
    case Format::Ico:
    case Format::Pnm:
        return decoders::readWithQtReader(bytes, format, hint, factsOnly);
    case Format::WebP:
        return decoders::readWebP(bytes, hint, factsOnly);
    case Format::Heif:
        return decoders::readHeif(bytes, hint, factsOnly);
    case Format::Avif:
        return decoders::readAvif(bytes, hint, factsOnly);
    case Format::Jxl:
        return decoders::readJxl(bytes, hint, factsOnly);
    case Format::Svg:
        return decoders::readSvg(bytes, hint, factsOnly);
    case Format::Raw:
        return decoders::readRaw(bytes, hint, factsOnly);
    default:
        return decoders::failure(QStringLiteral("not one of today's formats"));
    }
}

} // namespace decoder_helper
