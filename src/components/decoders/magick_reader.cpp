#include "components/decoders/magick_reader.h"

#include "components/decoders/bytes.h"

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

int storedBitsPerPixel(const QByteArray& bytes, Format format) {
    ByteReader r(bytes);
    int bits = 0;
    switch (format) {
    case Format::Bmp: {
        r.seek(14);
        const std::uint32_t headerSize = r.u32le();
        r.seek(headerSize == 12 ? 24 : 28);
        bits = r.u16le();
        break;
    }
    case Format::Pcx:
        r.seek(3);
        bits = r.u8();
        r.seek(65);
        bits *= r.u8();
        break;
    case Format::Tga:
        r.seek(16);
        bits = r.u8();
        break;
    case Format::SunRaster:
        r.seek(12);
        bits = int(r.u32be());
        break;
    case Format::Gif: {
        r.seek(10);
        const std::uint8_t flags = r.u8();
        bits = (flags & 0x80) ? (flags & 7) + 1 : 8;
        break;
    }
    case Format::UtahRle: {
        r.seek(10);
        const std::uint8_t flags = r.u8();
        const int colors = r.u8();
        const int pixelBits = r.u8();
        bits = (colors + ((flags & 0x04) ? 1 : 0)) * pixelBits; // 0x04: an alpha channel
        break;
    }
    case Format::MacPaint:
    case Format::Art:
        bits = 1;
        break;
    case Format::Cut:
        bits = 8;
        break;
    case Format::Hrz: // three bytes per pixel, six bits of each used
    case Format::Wmf: // vector pictures are drawn in true colour
        bits = 24;
        break;
    default:
        break;
    }
    return r.failed() || bits < 0 || bits > 64 ? 0 : bits;
}

Picture readWithMagick(const QByteArray& bytes, Format format, QSize hint) {
    const char* name = magickName(format);
    if (!name || bytes.isEmpty())
        return failure(QStringLiteral("unknown format"));
    initializeOnce();
    Magick::Image image;
    try {
        image.magick(name);
        // Metafiles are measured in inches; Windows shows them at 96 pixels per inch.
        if (format == Format::Wmf)
            image.density(Magick::Geometry(96, 96));
        if (!hint.isEmpty())
            image.size(Magick::Geometry(unsigned(hint.width()), unsigned(hint.height())));
        const Magick::Blob blob(bytes.constData(), std::size_t(bytes.size()));
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
        QImage pixels(w, h, image.matte() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (pixels.isNull())
            return failure(QStringLiteral("out of memory"));
        image.write(0, 0, unsigned(w), unsigned(h), "BGRA", Magick::CharPixel, pixels.bits());
        int bits = storedBitsPerPixel(bytes, format);
        if (bits == 0)
            bits = bitsFromImage(image);
        return finish(std::move(pixels), bits, hint);
    } catch (const Magick::Exception& e) {
        return failure(QString::fromLocal8Bit(e.what()));
    } catch (const std::exception& e) {
        return failure(QString::fromLocal8Bit(e.what()));
    }
}

} // namespace decoders
