#include "components/decoders/tiff_reader.h"

#include "components/decoders/budget.h"
#include "components/decoders/row_sink.h"
#include "components/decoders/tiff_tags.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tiffio.h>
#include <vector>

namespace decoders {

namespace {

// A preview reads the strips or tiles of libtiff's RGBA interface whole: up to this many
// bytes of them (a strip of 16 megapixels). Larger ones, which only a file claiming a huge
// picture has, are refused for the preview; the full-size decode allows the decode budget.
constexpr std::int64_t kPreviewBlockBytes = 64ll << 20;

// The file's bytes as libtiff reads them.
struct Source {
    const QByteArray* bytes;
    toff_t pos = 0;
    char error[256] = {};
};

tmsize_t readBytes(thandle_t handle, void* buffer, tmsize_t size) {
    auto* s = static_cast<Source*>(handle);
    const toff_t total = toff_t(s->bytes->size());
    const tmsize_t n =
        s->pos >= total ? 0 : tmsize_t(std::min<toff_t>(toff_t(size), total - s->pos));
    std::memcpy(buffer, s->bytes->constData() + s->pos, std::size_t(n));
    s->pos += toff_t(n);
    return n;
}

tmsize_t writeNothing(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t seekBytes(thandle_t handle, toff_t offset, int whence) {
    auto* s = static_cast<Source*>(handle);
    const toff_t base = whence == SEEK_CUR ? s->pos : whence == SEEK_END ? s->bytes->size() : 0;
    s->pos = base + offset;
    return s->pos;
}

int closeNothing(thandle_t) {
    return 0;
}

toff_t sizeOfBytes(thandle_t handle) {
    return toff_t(static_cast<Source*>(handle)->bytes->size());
}

// Read only: libtiff takes uncompressed strips straight from the bytes.
int mapBytes(thandle_t handle, void** base, toff_t* size) {
    auto* s = static_cast<Source*>(handle);
    *base = const_cast<char*>(s->bytes->constData());
    *size = toff_t(s->bytes->size());
    return 1;
}

void unmapNothing(thandle_t, void*, toff_t) {}

// This handle's own error handlers: libtiff's process-wide ones belong to GraphicsMagick, which
// shares the helper. The first error is kept as the reason.
int onError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* s = static_cast<Source*>(user);
    if (!s->error[0])
        std::vsnprintf(s->error, sizeof s->error, format, args);
    return 1;
}

int onWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

// What the header says of the first picture.
struct Layout {
    std::uint32_t width = 0, height = 0;
    std::uint16_t bits = 1, samples = 1, photometric = 0, planar = PLANARCONFIG_CONTIG;
    std::uint16_t orientation = ORIENTATION_TOPLEFT, compression = COMPRESSION_NONE;
    int colourSamples = 1; // samples before the extra ones
    int alpha = 0;         // 0 none, else EXTRASAMPLE_ASSOCALPHA or EXTRASAMPLE_UNASSALPHA
};

Layout readLayout(TIFF* tif) {
    Layout l;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &l.orientation);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &l.compression);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric))
        l.photometric = l.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    if (l.orientation < 1 || l.orientation > 8)
        l.orientation = ORIENTATION_TOPLEFT;
    std::uint16_t extraCount = 0;
    std::uint16_t* extra = nullptr;
    TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    l.colourSamples = std::max(1, int(l.samples) - int(extraCount));
    if (extraCount > 0 && extra &&
        (extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA))
        l.alpha = extra[0];
    // A fourth sample of unspecified use is alpha, not premultiplied (as GraphicsMagick writes
    // and reads it).
    if (extraCount > 0 && extra && extra[0] == EXTRASAMPLE_UNSPECIFIED && l.samples > 3 &&
        l.photometric == PHOTOMETRIC_RGB)
        l.alpha = EXTRASAMPLE_UNASSALPHA;
    return l;
}

// The colours of one-sample rows of up to 8 bits (or the high byte of 16): a grey ramp, or the
// file's colour map (16-bit entries; some writers put 8-bit values in them).
QList<QRgb> rowPalette(TIFF* tif, const Layout& l) {
    const int levels = 1 << std::min<int>(l.bits, 8);
    QList<QRgb> palette;
    if (l.photometric == PHOTOMETRIC_PALETTE) {
        std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue))
            return {};
        bool eightBit = true;
        for (int i = 0; i < levels; ++i)
            eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
        const int shift = eightBit ? 0 : 8;
        for (int i = 0; i < levels; ++i)
            palette.append(qRgb(red[i] >> shift, green[i] >> shift, blue[i] >> shift));
        return palette;
    }
    for (int i = 0; i < levels; ++i) {
        const int grey = i * 255 / std::max(1, levels - 1);
        palette.append(l.photometric == PHOTOMETRIC_MINISWHITE
                           ? qRgb(255 - grey, 255 - grey, 255 - grey)
                           : qRgb(grey, grey, grey));
    }
    return palette;
}

// Undoes premultiplied alpha, as QImage's ARGB32 holds colours whole.
QRgb unpremultiplied(int red, int green, int blue, int alpha) {
    if (alpha == 0)
        return 0;
    return qRgba(std::min(255, red * 255 / alpha), std::min(255, green * 255 / alpha),
                 std::min(255, blue * 255 / alpha), alpha);
}

// Rows read one by one (TIFFReadScanline): what the layout allows, and how each row becomes
// the sink's.
enum class RowKind { None, Bits, Indexes, Colours };

RowKind rowKindOf(TIFF* tif, const Layout& l) {
    if (TIFFIsTiled(tif) || (l.planar != PLANARCONFIG_CONTIG && l.samples > 1))
        return RowKind::None;
    const bool grey =
        l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE;
    if ((grey || l.photometric == PHOTOMETRIC_PALETTE) && l.samples == 1) {
        if (l.bits == 1)
            return RowKind::Bits;
        if (l.bits == 2 || l.bits == 4 || l.bits == 8 || (grey && l.bits == 16))
            return RowKind::Indexes;
        return RowKind::None;
    }
    if (l.bits != 8 && l.bits != 16)
        return RowKind::None;
    if (grey && l.samples == 2)
        return RowKind::Colours;
    if (l.photometric == PHOTOMETRIC_RGB && l.colourSamples >= 3)
        return RowKind::Colours;
    std::uint16_t inks = INKSET_CMYK;
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inks);
    if (l.photometric == PHOTOMETRIC_SEPARATED && inks == INKSET_CMYK && l.colourSamples == 4)
        return RowKind::Colours;
    return RowKind::None;
}

// One row of 8- or 16-bit samples into 32-bit colours.
void toColours(const Layout& l, const std::uint8_t* row, QRgb* out) {
    const int n = l.samples;
    auto sample = [&](std::uint32_t x, int k) -> int {
        const std::size_t at = std::size_t(x) * std::size_t(n) + std::size_t(k);
        if (l.bits == 8)
            return row[at];
        std::uint16_t v;
        std::memcpy(&v, row + at * 2, 2); // libtiff gives 16-bit samples in this machine's order
        return v >> 8;
    };
    const bool grey = l.colourSamples < 3;
    const bool cmyk = l.photometric == PHOTOMETRIC_SEPARATED;
    for (std::uint32_t x = 0; x < l.width; ++x) {
        int red, green, blue;
        if (grey) {
            red = green = blue =
                l.photometric == PHOTOMETRIC_MINISWHITE ? 255 - sample(x, 0) : sample(x, 0);
        } else if (cmyk) {
            const int white = 255 - sample(x, 3);
            red = (255 - sample(x, 0)) * white / 255;
            green = (255 - sample(x, 1)) * white / 255;
            blue = (255 - sample(x, 2)) * white / 255;
        } else {
            red = sample(x, 0), green = sample(x, 1), blue = sample(x, 2);
        }
        if (!l.alpha)
            out[x] = qRgb(red, green, blue);
        else if (l.alpha == EXTRASAMPLE_ASSOCALPHA)
            out[x] = unpremultiplied(red, green, blue, sample(x, l.colourSamples));
        else
            out[x] = qRgba(red, green, blue, sample(x, l.colourSamples));
    }
}

// Samples of 2, 4 or 8 bits (or the high byte of 16) into one colour index a pixel.
void toIndexes(const Layout& l, const std::uint8_t* row, std::uint8_t* out) {
    const int bits = l.bits;
    for (std::uint32_t x = 0; x < l.width; ++x) {
        if (bits == 8) {
            out[x] = row[x];
        } else if (bits == 16) {
            std::uint16_t v;
            std::memcpy(&v, row + std::size_t(x) * 2, 2);
            out[x] = std::uint8_t(v >> 8);
        } else {
            const std::size_t bit = std::size_t(x) * std::size_t(bits);
            out[x] = std::uint8_t((row[bit / 8] >> (8 - bits - int(bit % 8))) & ((1 << bits) - 1));
        }
    }
}

// Row by row; a run of equal rows is converted and put once.
bool readRows(TIFF* tif, const Layout& l, RowKind kind, RowSink& sink) {
    const tmsize_t lineBytes = TIFFScanlineSize(tif);
    if (lineBytes <= 0)
        return false;
    std::vector<std::uint8_t> raw(std::size_t(lineBytes), 0), previous(std::size_t(lineBytes), 0);
    std::vector<std::uint8_t> indexes(kind == RowKind::Indexes ? l.width : 0);
    std::vector<QRgb> colours(kind == RowKind::Colours ? l.width : 0);
    std::uint32_t runStart = 0, runLength = 0;
    auto flush = [&] {
        if (runLength == 0)
            return;
        const int count = int(runLength);
        if (kind == RowKind::Bits) {
            sink.put(int(runStart), previous.data(), count);
        } else if (kind == RowKind::Indexes) {
            toIndexes(l, previous.data(), indexes.data());
            sink.put(int(runStart), indexes.data(), count);
        } else {
            toColours(l, previous.data(), colours.data());
            sink.put(int(runStart), colours.data(), count);
        }
    };
    for (std::uint32_t y = 0; y < l.height; ++y) {
        if (TIFFReadScanline(tif, raw.data(), y, 0) < 0)
            return false;
        if (runLength > 0 && raw == previous) {
            ++runLength;
            continue;
        }
        flush();
        raw.swap(previous);
        runStart = y;
        runLength = 1;
    }
    flush();
    return true;
}

// Through libtiff's RGBA interface, one strip or tile at a time. Its rows come bottom up within
// each block, as packed ABGR with premultiplied alpha.
bool readBlocks(TIFF* tif, const Layout& l, bool preview, RowSink& sink, QString& why) {
    // The orientation is applied afterwards, as for the rows read one by one; alpha is taken
    // as readLayout took it.
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    if (l.alpha && l.samples > l.colourSamples) {
        std::vector<std::uint16_t> extra(std::size_t(l.samples - l.colourSamples),
                                         EXTRASAMPLE_UNSPECIFIED);
        extra[0] = std::uint16_t(l.alpha);
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, std::uint16_t(extra.size()), extra.data());
    }
    std::uint32_t blockWidth = l.width, blockHeight = l.height;
    const bool tiled = TIFFIsTiled(tif);
    if (tiled) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &blockWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &blockHeight);
    } else {
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &blockHeight);
        blockHeight = std::min(blockHeight, l.height);
    }
    const std::int64_t blockBytes = std::int64_t(blockWidth) * blockHeight * 4;
    if (blockWidth == 0 || blockHeight == 0 ||
        blockBytes > (preview ? kPreviewBlockBytes : decodeBudget().memoryBytes)) {
        why = preview ? QStringLiteral("picture too large for a preview")
                      : QStringLiteral("picture needs too much memory");
        return false;
    }
    std::vector<std::uint32_t> block(std::size_t(blockWidth) * blockHeight);
    std::vector<QRgb> line(blockWidth);
    for (std::uint32_t top = 0; top < l.height; top += blockHeight) {
        const std::uint32_t rows = std::min(blockHeight, l.height - top);
        for (std::uint32_t left = 0; left < l.width; left += blockWidth) {
            const int ok = tiled ? TIFFReadRGBATile(tif, left, top, block.data())
                                 : TIFFReadRGBAStrip(tif, top, block.data());
            if (!ok)
                return false;
            const std::uint32_t columns = std::min(blockWidth, l.width - left);
            // A strip's rows fill the bottom of its block; a tile's fill the whole block.
            const std::uint32_t bottom = tiled ? blockHeight : rows;
            for (std::uint32_t i = 0; i < rows; ++i) {
                const std::uint32_t* p = &block[std::size_t(bottom - 1 - i) * blockWidth];
                for (std::uint32_t x = 0; x < columns; ++x)
                    line[x] = unpremultiplied(int(TIFFGetR(p[x])), int(TIFFGetG(p[x])),
                                              int(TIFFGetB(p[x])), int(TIFFGetA(p[x])));
                sink.put(int(top + i), line.data(), 1, int(left), int(columns));
            }
        }
    }
    return true;
}

} // namespace

std::optional<Picture> readTiff(const QByteArray& bytes, QSize hint, bool factsOnly) {
    Source source{&bytes};
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, onError, &source);
    TIFFOpenOptionsSetWarningHandlerExtR(options, onWarning, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(decodeBudget().memoryBytes));
    const std::unique_ptr<TIFF, TiffCloser> tif(
        TIFFClientOpenExt("picture", "r", &source, readBytes, writeNothing, seekBytes, closeNothing,
                          sizeOfBytes, mapBytes, unmapNothing, options));
    TIFFOpenOptionsFree(options);
    if (!tif)
        return std::nullopt;
    Layout l = readLayout(tif.get());
    if (!sizeAcceptable(l.width, l.height))
        return failure(QStringLiteral("bad picture size"));
    const QSize stored(int(l.width), int(l.height));
    const bool turned = l.orientation >= ORIENTATION_LEFTTOP;
    const QSize upright = turned ? stored.transposed() : stored;
    const int bits = int(l.bits) * int(l.samples);
    if (factsOnly)
        return factsOnlyPicture(upright, bits);

    if (l.photometric == PHOTOMETRIC_YCBCR && l.compression == COMPRESSION_JPEG &&
        TIFFSetField(tif.get(), TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB))
        l.photometric = PHOTOMETRIC_RGB; // libjpeg gives the rows as RGB
    const RowKind kind = rowKindOf(tif.get(), l);
    char message[1024];
    if (kind == RowKind::None && !TIFFRGBAImageOK(tif.get(), message))
        return std::nullopt;
    const QSize storedHint = turned ? hint.transposed() : hint;
    const RowSink::Rows rows = kind == RowKind::Bits              ? RowSink::Rows::Bits
                               : kind == RowKind::Indexes         ? RowSink::Rows::Indexes
                               : l.alpha || kind == RowKind::None ? RowSink::Rows::Argb
                                                                  : RowSink::Rows::Rgb;
    QList<QRgb> palette;
    if (kind == RowKind::Bits || kind == RowKind::Indexes) {
        palette = rowPalette(tif.get(), l);
        if (palette.isEmpty())
            return failure(QStringLiteral("no colour map"));
    }
    RowSink sink(stored, storedHint, rows, palette);
    if (!sink.ok())
        return failure(QStringLiteral("out of memory"));
    QString why;
    const bool ok = kind == RowKind::None ? readBlocks(tif.get(), l, !hint.isEmpty(), sink, why)
                                          : readRows(tif.get(), l, kind, sink);
    if (!ok)
        return failure(!why.isEmpty()         ? why
                       : source.error[0] != 0 ? QString::fromUtf8(source.error)
                                              : QStringLiteral("damaged TIFF picture"));
    return finishReduced(applyOrientation(sink.take(), l.orientation), upright, bits, hint);
}

} // namespace decoders
