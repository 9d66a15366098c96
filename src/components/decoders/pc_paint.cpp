#include "components/decoders/pc_paint.h"

#include "components/decoders/bytes.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace decoders {

namespace {

constexpr QRgb kEgaDefault[16] = {
    0xFF000000, 0xFF0000AA, 0xFF00AA00, 0xFF00AAAA, 0xFFAA0000, 0xFFAA00AA, 0xFFAA5500, 0xFFAAAAAA,
    0xFF555555, 0xFF5555FF, 0xFF55FF55, 0xFF55FFFF, 0xFFFF5555, 0xFFFF55FF, 0xFFFFFF55, 0xFFFFFFFF,
};

QRgb egaColour(int code) {
    const int red = ((code >> 2) & 1) * 0xAA + ((code >> 5) & 1) * 0x55;
    const int green = ((code >> 1) & 1) * 0xAA + ((code >> 4) & 1) * 0x55;
    const int blue = (code & 1) * 0xAA + ((code >> 3) & 1) * 0x55;
    return qRgb(red, green, blue);
}

// Unpacks the blocks into out (exactly size bytes); false on damaged data. Without out it
// only checks that the data gives that many bytes, before any memory is taken for them.
bool unpack(ByteReader r, std::uint8_t* out, std::size_t size) {
    const int blocks = r.u16le();
    std::size_t x = 0;
    if (blocks == 0) {
        if (std::size_t(r.remaining()) < size)
            return false;
        if (out)
            std::memcpy(out, r.here(), size);
        return true;
    }
    for (int b = 0; b < blocks && x < size; ++b) {
        const qsizetype start = r.pos();
        const int blockLength = r.u16le();
        r.u16le();
        const std::uint8_t marker = r.u8();
        if (r.failed() || blockLength < 5)
            return false;
        const qsizetype end = start + blockLength;
        while (r.pos() < end && x < size) {
            const std::uint8_t byte = r.u8();
            std::size_t count = 1;
            std::uint8_t value = byte;
            if (byte == marker) {
                count = r.u8();
                if (count == 0)
                    count = r.u16le();
                value = r.u8();
            }
            if (r.failed())
                return false;
            count = std::min(count, size - x);
            if (out)
                std::memset(out + x, value, count);
            x += count;
        }
        r.seek(end);
        if (r.failed())
            return false;
    }
    return x == size;
}

} // namespace

Picture readPcPaint(const QByteArray& bytes, QSize hint) {
    ByteReader r(bytes);
    if (r.u16le() != 0x1234)
        return failure(QStringLiteral("not a PC Paint picture"));
    const int width = r.u16le();
    const int height = r.u16le();
    r.skip(4);
    const std::uint8_t planeInfo = r.u8();
    const int bits = planeInfo & 0x0F;
    const int planes = (planeInfo >> 4) + 1;
    if (r.failed() || !sizeAcceptable(width, height))
        return failure(QStringLiteral("bad picture size"));
    if (!(bits == 1 || bits == 2 || bits == 4 || bits == 8) || bits * planes > 8)
        return failure(QStringLiteral("unsupported PC Paint picture"));
    const int colourCount = 1 << (bits * planes);

    QList<QRgb> palette;
    if (colourCount == 2)
        palette = {0xFF000000, 0xFFFFFFFF};
    else if (colourCount == 4)
        palette = {0xFF000000, 0xFF55FFFF, 0xFFFF55FF, 0xFFFFFFFF};
    else if (colourCount == 16)
        palette = QList<QRgb>(std::begin(kEgaDefault), std::end(kEgaDefault));
    else
        for (int i = 0; i < colourCount; ++i)
            palette.append(qRgb(i, i, i));
    if (r.u8() == 0xFF) {
        r.u8(); // video mode
        const int paletteType = r.u16le();
        const int paletteLength = r.u16le();
        ByteReader p(bytes, r.pos());
        if (paletteType == 4 && paletteLength >= 3 * colourCount)
            for (int i = 0; i < colourCount; ++i) {
                const int red = std::min<int>(p.u8(), 63), green = std::min<int>(p.u8(), 63);
                palette[i] =
                    qRgb(red * 255 / 63, green * 255 / 63, std::min<int>(p.u8(), 63) * 255 / 63);
            }
        else if ((paletteType == 1 || paletteType == 2 || paletteType == 3) && colourCount == 16 &&
                 paletteLength >= 16)
            for (int i = 0; i < 16; ++i)
                palette[i] = egaColour(p.u8());
        r.skip(paletteLength);
    } else {
        r.seek(11);
    }
    if (r.failed())
        return failure(QStringLiteral("truncated PC Paint picture"));

    const std::size_t rowBytes = (std::size_t(width) * std::size_t(bits) + 7) / 8;
    const std::size_t planeBytes = rowBytes * std::size_t(height);
    const std::size_t total = planeBytes * std::size_t(planes);
    if (!unpack(r, nullptr, total))
        return failure(QStringLiteral("truncated PC Paint picture"));
    std::vector<std::uint8_t> pixels(total);
    if (!unpack(r, pixels.data(), total))
        return failure(QStringLiteral("truncated PC Paint picture"));

    QImage image(width, height, QImage::Format_Indexed8);
    if (image.isNull())
        return failure(QStringLiteral("out of memory"));
    image.setColorTable(palette);
    const int mask = (1 << bits) - 1;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = image.scanLine(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const std::size_t bit = std::size_t(x) * std::size_t(bits);
            int index = 0;
            for (int p = 0; p < planes; ++p) {
                const std::uint8_t byte =
                    pixels[std::size_t(p) * planeBytes + std::size_t(y) * rowBytes + bit / 8];
                const int value = (byte >> (8 - bits - int(bit % 8))) & mask;
                index |= value << (p * bits);
            }
            out[x] = std::uint8_t(index);
        }
    }
    return finish(std::move(image), bits * planes, hint);
}

} // namespace decoders
