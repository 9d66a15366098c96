// glimra-decoder-emf: enhanced metafiles through libemf2svg, drawn by Qt SVG. A process of its
// own: libemf2svg's libuemf and GraphicsMagick's libwmflite both export wmf_free, and whichever
// is loaded second would call the other's.
#include "components/decoders/emf_reader.h"
#include "decoder_helper/readers.h"

namespace decoder_helper {

using decoders::Format;
using decoders::Picture;

void prepareReaders(int& argc, char** argv) {
    startQtDrawing(argc, argv); // text in a metafile
}

Picture readInHelper(const QByteArray& bytes, Format format, QSize hint, bool factsOnly) {
    if (format != Format::Emf)
        return decoders::failure(QStringLiteral("not a metafile"));
    if (factsOnly) {
        const QSize size = decoders::emfSize(bytes);
        if (size.isEmpty())
            return decoders::failure(QStringLiteral("damaged metafile"));
        Picture p;
        p.width = size.width();
        p.height = size.height();
        p.bitsPerPixel = 24;
        return p;
    }
    return decoders::readEmf(bytes, hint);
}

} // namespace decoder_helper
