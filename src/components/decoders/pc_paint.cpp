#include "components/decoders/pc_paint.h"

#include "components/decoders/bytes.h"
#include "components/decoders/row_sink.h"

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

// The unpacked pixel bytes, read from the blocks as they are needed, so that a picture never
// has to be unpacked whole. A copy reads on from where the original was.
class Unpacker {
public:
    explicit Unpacker(ByteReader r) : r_(r) {
        blocksLeft_ = r_.u16le();
        packed_ = blocksLeft_ > 0;
        blockEnd_ = r_.pos();
    }

    // The next n bytes into out (skipped when out is null); false when the data ends first or
    // is damaged.
    bool read(std::uint8_t* out, std::size_t n) {
        if (!packed_) {
            if (r_.failed() || std::size_t(r_.remaining()) < n)
                return false;
            if (out)
                std::memcpy(out, r_.here(), n);
            r_.skip(qsizetype(n));
            return true;
        }
        while (n > 0) {
            if (runLeft_ > 0) {
                const std::size_t take = std::min(runLeft_, n);
                if (out) {
                    std::memset(out, runValue_, take);
                    out += take;
                }
                n -= take;
                runLeft_ -= take;
                continue;
            }
            if (r_.pos() >= blockEnd_ && !nextBlock())
                return false;
            if (r_.pos() >= blockEnd_)
                continue;
            const std::uint8_t byte = r_.u8();
            runLeft_ = 1;
            runValue_ = byte;
            if (byte == marker_) {
                runLeft_ = r_.u8();
                if (runLeft_ == 0)
                    runLeft_ = r_.u16le();
                runValue_ = r_.u8();
            }
            if (r_.failed())
                return false;
        }
        return true;
    }

private:
    // Block header: its length (these five bytes included), the unpacked length, the marker.
    bool nextBlock() {
        if (blocksLeft_ == 0)
            return false;
        --blocksLeft_;
        r_.seek(blockEnd_);
        const qsizetype start = r_.pos();
        const int length = r_.u16le();
        r_.u16le();
        marker_ = r_.u8();
        if (r_.failed() || length < 5)
            return false;
        blockEnd_ = start + length;
        return true;
    }

    ByteReader r_;
    bool packed_ = false;
    int blocksLeft_ = 0;
    qsizetype blockEnd_ = 0;
    std::uint8_t marker_ = 0;
    std::size_t runLeft_ = 0;
    std::uint8_t runValue_ = 0;
};

} // namespace

Picture readPcPaint(const QByteArray& bytes, QSize hint, bool factsOnly) {
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
    const QSize size(width, height);
    if (factsOnly)
        return factsOnlyPicture(size, bits * planes);
    // One reader per plane, each at its plane's first row: every row of the picture is then put
    // together from the planes' rows as they are read.
    std::vector<Unpacker> planeData;
    planeData.emplace_back(r);
    for (int p = 1; p < planes; ++p) {
        planeData.push_back(planeData.back());
        if (!planeData.back().read(nullptr, planeBytes))
            return failure(QStringLiteral("truncated PC Paint picture"));
    }
    // At full size the data is checked whole before the picture's memory is taken.
    if (reductionFor(size, hint) == 1 && !Unpacker(planeData.back()).read(nullptr, planeBytes))
        return failure(QStringLiteral("truncated PC Paint picture"));
    const bool oneBit = bits * planes == 1;
    RowSink sink(size, hint, oneBit ? RowSink::Rows::Bits : RowSink::Rows::Indexes, palette);
    if (!sink.ok())
        return failure(QStringLiteral("out of memory"));
    std::vector<std::uint8_t> rows(rowBytes * std::size_t(planes));
    std::vector<std::uint8_t> line(std::size_t(width), 0);
    const int mask = (1 << bits) - 1;
    for (int y = 0; y < height; ++y) {
        for (int p = 0; p < planes; ++p)
            if (!planeData[std::size_t(p)].read(&rows[std::size_t(p) * rowBytes], rowBytes))
                return failure(QStringLiteral("truncated PC Paint picture"));
        // The rows come from the bottom up.
        if (oneBit || (bits == 8 && planes == 1)) {
            sink.put(height - 1 - y, rows.data());
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const std::size_t bit = std::size_t(x) * std::size_t(bits);
            int index = 0;
            for (int p = 0; p < planes; ++p) {
                const std::uint8_t byte = rows[std::size_t(p) * rowBytes + bit / 8];
                index |= ((byte >> (8 - bits - int(bit % 8))) & mask) << (p * bits);
            }
            line[std::size_t(x)] = std::uint8_t(index);
        }
        sink.put(height - 1 - y, line.data());
    }
    return finishReduced(sink.take(), size, bits * planes, hint);
}

} // namespace decoders
