#include "components/decoders/magick_reader.h"

#include "components/decoders/budget.h"
#include "components/decoders/bytes.h"
#include "components/decoders/pict_header.h"
#include "components/decoders/stored_bits.h"

#include <Magick++.h>
#include <mutex>

namespace decoders {

namespace {

const char* magickName(Format format) {
    switch (format) {
    case Format::Jpeg:
        return "JPEG";
    case Format::Png:
        return "PNG";
    case Format::Gif:
        return "GIF";
    case Format::Bmp:
        return "BMP";
    case Format::Tiff:
        return "TIFF";
    case Format::Wmf:
        return "WMF";
    case Format::Wpg:
        return "WPG";
    case Format::Art:
        return "ART";
    case Format::Cut:
        return "CUT";
    case Format::Hrz:
        return "HRZ";
    case Format::MacPaint:
        return "MAC";
    case Format::Pcx:
        return "PCX";
    case Format::Pict:
        return "PICT";
    case Format::SunRaster:
        return "SUN";
    case Format::UtahRle:
        return "RLE";
    case Format::Tga:
        return "TGA";
    default:
        return nullptr;
    }
}

void initializeOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        Magick::InitializeMagick(nullptr);
        // GraphicsMagick refuses oversized pictures itself, before it allocates them.
        MagickLib::SetMagickResourceLimit(MagickLib::PixelsResource, kMaxPixels);
        MagickLib::SetMagickResourceLimit(MagickLib::WidthResource, kMaxPixels);
        MagickLib::SetMagickResourceLimit(MagickLib::HeightResource, kMaxPixels);
    });
}

// What GraphicsMagick tells of the stored depth when the header was not parsed here.
int bitsFromImage(const Magick::Image& image) {
    if (image.classType() == MagickLib::PseudoClass && image.colorMapSize() > 0) {
        const unsigned colors = image.colorMapSize();
        return colors <= 2 ? 1 : colors <= 16 ? 4 : 8;
    }
    const int depth = int(image.depth());
    const bool gray =
        image.type() == MagickLib::GrayscaleType || image.type() == MagickLib::BilevelType;
    return depth * ((gray ? 1 : 3) + (image.matte() ? 1 : 0));
}

} // namespace

// GraphicsMagick holds a picture at 16 bits a channel (8 bytes a pixel), and the pixels handed
// on take 4 more.
constexpr double kMagickBytesPerPixel = 12;

// GraphicsMagick draws a PICT file onto a canvas of its whole frame (and copies each pixel map
// once more) before anything can be shrunk, so the time and memory of a preview follow the
// size the header claims, whatever the file holds: a 554-byte file claiming 20000 x 20000 took
// over 10 s. A preview of a PICT frame larger than this is refused (shown as unreadable); its
// full-size decode runs under the budget as for every format. Pictures of this format are
// screen-sized: 16 megapixels is more than any Macintosh screen of their time.
constexpr std::int64_t kPictPreviewPixels = 16'000'000;

Picture readWithMagick(const QByteArray& bytes, Format format, QSize hint, bool factsOnly) {
    const char* name = magickName(format);
    if (!name || bytes.isEmpty())
        return failure(QStringLiteral("unknown format"));
    initializeOnce();
    const Budget budget = decodeBudget();
    MagickLib::SetMagickResourceLimit(MagickLib::MemoryResource,
                                      MagickLib::magick_int64_t(budget.memoryBytes));
    try {
        const Magick::Blob blob(bytes.constData(), std::size_t(bytes.size()));
        // The header first: a picture that cannot fit the budget is refused before its pixels
        // are allocated. The size hint is not passed on: GraphicsMagick takes it as the size of
        // headerless pictures (a DIB without its file header would come out as the box).
        // GraphicsMagick pings a PICT file by building its canvas: its frame and bits are
        // read here instead.
        std::int64_t w0 = 0, h0 = 0;
        int bits = 0;
        if (format == Format::Pict) {
            const PictFacts pict = readPictFacts(bytes);
            if (pict.size.isEmpty())
                return failure(QStringLiteral("not a PICT picture"));
            w0 = pict.size.width(), h0 = pict.size.height();
            bits = pict.bitsPerPixel;
            if (!factsOnly && !hint.isEmpty() && w0 * h0 > kPictPreviewPixels)
                return failure(QStringLiteral("picture too large for a preview"));
        } else if (const QSize stated = storedSize(bytes, format); !stated.isEmpty()) {
            // GraphicsMagick reads a whole TGA or PCX file to ping it: the header tells.
            w0 = stated.width(), h0 = stated.height();
            bits = storedBitsPerPixel(bytes, format);
        } else {
            Magick::Image header;
            header.magick(name);
            if (format == Format::Wmf)
                header.density(Magick::Geometry(96, 96));
            try {
                header.ping(blob);
            } catch (const Magick::Warning&) {
            }
            w0 = std::int64_t(header.columns()), h0 = std::int64_t(header.rows());
            bits = storedBitsPerPixel(bytes, format);
            if (bits == 0 && factsOnly && w0 > 0 && h0 > 0)
                bits = bitsFromImage(header);
        }
        if (w0 > 0 && h0 > 0 && !sizeAcceptable(w0, h0))
            return failure(QStringLiteral("picture too large"));
        if (factsOnly && w0 > 0 && h0 > 0)
            return factsOnlyPicture(QSize(int(w0), int(h0)), bits);
        // A metafile is drawn straight at the reduced size a preview needs.
        int reduction = 1;
        if (format == Format::Wmf && w0 > 0 && h0 > 0)
            reduction = reductionFor(QSize(int(w0), int(h0)), hint);
        if (w0 > 0 && h0 > 0 &&
            !fitsBudget(w0 / reduction, h0 / reduction, kMagickBytesPerPixel, budget))
            return failure(QStringLiteral("picture needs too much memory"));

        Magick::Image image;
        image.magick(name);
        // Metafiles are measured in inches; Windows shows them at 96 pixels per inch.
        if (format == Format::Wmf)
            image.density(
                Magick::Geometry(unsigned(96 / reduction) ? unsigned(96 / reduction) : 1,
                                 unsigned(96 / reduction) ? unsigned(96 / reduction) : 1));
        try {
            image.read(blob);
        } catch (const Magick::Warning&) {
            // A warning still leaves a picture (a missing palette file, an odd tag).
        }
        if (!image.isValid() || image.columns() == 0 || image.rows() == 0)
            return failure(QStringLiteral("no picture"));
        if (!sizeAcceptable(image.columns(), image.rows()))
            return failure(QStringLiteral("picture too large"));
        const int w = int(image.columns()), h = int(image.rows());
        if (bits == 0)
            bits = bitsFromImage(image);
        if (factsOnly) {
            Picture p;
            p.width = w, p.height = h, p.bitsPerPixel = bits;
            return p;
        }
        QImage pixels(w, h, image.matte() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (pixels.isNull())
            return failure(QStringLiteral("out of memory"));
        image.write(0, 0, unsigned(w), unsigned(h), "BGRA", Magick::CharPixel, pixels.bits());
        image = Magick::Image(); // GraphicsMagick's copy goes before the shrinking
        Picture p = finish(std::move(pixels), bits, hint);
        if (reduction > 1 && p.ok()) {
            // The picture's own size, not the reduced drawing's.
            p.width = int(w0);
            p.height = int(h0);
        }
        return p;
    } catch (const Magick::Exception& e) {
        return failure(QString::fromLocal8Bit(e.what()));
    } catch (const std::exception& e) {
        return failure(QString::fromLocal8Bit(e.what()));
    }
}

} // namespace decoders
