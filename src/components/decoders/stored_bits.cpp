#include "components/decoders/stored_bits.h"

#include "components/decoders/bytes.h"

namespace decoders {

namespace {

// A baseline TIFF's first directory: BitsPerSample (258, the first sample's) times
// SamplesPerPixel (277); 0 when the directory cannot be read.
int tiffBits(const QByteArray& bytes) {
    ByteReader r(bytes);
    const bool little = r.u16be() == 0x4949;
    auto u16 = [&] { return little ? r.u16le() : r.u16be(); };
    auto u32 = [&] { return little ? r.u32le() : r.u32be(); };
    if (u16() != 42)
        return 0;
    r.seek(qsizetype(u32()));
    const int entries = u16();
    int bits = 1, samples = 1;
    for (int i = 0; i < entries && !r.failed(); ++i) {
        const std::uint16_t tag = u16();
        const std::uint16_t type = u16();
        const std::uint32_t count = u32();
        const qsizetype valueAt = r.pos();
        std::uint32_t value = type == 3 ? u16() : u32();
        if (tag == 258 && type == 3 && count > 2) { // the values are elsewhere
            ByteReader at(bytes, qsizetype(little ? (value | std::uint32_t(u16()) << 16)
                                                  : (value << 16 | u16())));
            value = little ? at.u16le() : at.u16be();
            if (at.failed())
                return 0;
        }
        if (tag == 258)
            bits = int(value);
        else if (tag == 277)
            samples = int(value);
        r.seek(valueAt + 4);
    }
    return r.failed() ? 0 : bits * samples;
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
    case Format::Tiff:
        bits = tiffBits(bytes);
        break;
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

QSize storedSize(const QByteArray& bytes, Format format) {
    ByteReader r(bytes);
    int width = 0, height = 0;
    if (format == Format::Tga) {
        r.seek(1);
        const int colourMapType = r.u8();
        const int imageType = r.u8();
        r.seek(12);
        width = r.u16le();
        height = r.u16le();
        const int depth = r.u8();
        const bool knownType = imageType == 1 || imageType == 2 || imageType == 3 ||
                               imageType == 9 || imageType == 10 || imageType == 11;
        const bool knownDepth =
            depth == 1 || depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
        if (colourMapType > 1 || !knownType || !knownDepth)
            return {};
    } else if (format == Format::Pcx) {
        const int manufacturer = r.u8();
        r.u8(); // version
        const int encoding = r.u8();
        const int bits = r.u8();
        const int left = r.u16le(), top = r.u16le(), right = r.u16le(), bottom = r.u16le();
        r.seek(65);
        const int planes = r.u8();
        if (manufacturer != 0x0A || encoding > 1 ||
            (bits != 1 && bits != 2 && bits != 4 && bits != 8) || planes < 1 || planes > 4 ||
            right < left || bottom < top)
            return {};
        width = right - left + 1;
        height = bottom - top + 1;
    } else {
        return {};
    }
    if (r.failed() || width <= 0 || height <= 0)
        return {};
    return {width, height};
}

} // namespace decoders
