#include "components/decoders/gem_img.h"

#include "components/decoders/bytes.h"
#include "components/decoders/row_sink.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace decoders {

namespace {

// The GEM desktop's 16 standard colours, in pen order.
constexpr QRgb kStandardColours[16] = {
    0xFFFFFFFF, 0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF00FFFF, 0xFFFFFF00, 0xFFFF00FF,
    0xFFC0C0C0, 0xFF808080, 0xFF800000, 0xFF008000, 0xFF000080, 0xFF008080, 0xFF808000, 0xFF800080,
};

// Bit k of a byte (counted from the left, the leftmost pixel) moved to bit 0 of byte k.
constexpr auto kSpread = [] {
    std::array<std::uint64_t, 256> table{};
    for (int v = 0; v < 256; ++v)
        for (int k = 0; k < 8; ++k)
            if (v & (0x80 >> k))
                table[std::size_t(v)] |= std::uint64_t(1) << (8 * k);
    return table;
}();

// Decodes one plane's row into row; false when the data ends first.
bool decodeRow(ByteReader& r, int patternLength, std::uint8_t* row, int rowBytes) {
    int x = 0;
    auto put = [&](std::uint8_t b) {
        if (x < rowBytes)
            row[x] = b;
        ++x;
    };
    while (x < rowBytes) {
        if (r.atEnd())
            return false;
        const std::uint8_t code = r.u8();
        if (code == 0x00) {
            const int n = r.u8();
            const std::uint8_t* pattern = r.here();
            r.skip(patternLength);
            if (r.failed())
                return false;
            for (int i = 0; i < n && x < rowBytes; ++i)
                for (int k = 0; k < patternLength; ++k)
                    put(pattern[k]);
        } else if (code == 0x80) {
            const int n = r.u8();
            const std::uint8_t* literal = r.here();
            r.skip(n);
            if (r.failed())
                return false;
            for (int i = 0; i < n; ++i)
                put(literal[i]);
        } else {
            const std::uint8_t value = (code & 0x80) ? 0xFF : 0x00;
            for (int i = 0; i < (code & 0x7F); ++i)
                put(value);
        }
    }
    return !r.failed();
}

} // namespace

Picture readGemImg(const QByteArray& bytes, QSize hint, bool factsOnly) {
    ByteReader r(bytes);
    const int version = r.u16be();
    const int headerWords = r.u16be();
    const int planes = r.u16be();
    const int patternLength = r.u16be();
    r.skip(4);
    const int width = r.u16be();
    const int height = r.u16be();
    if (r.failed() || version > 3 || headerWords < 8 || planes < 1 || planes > 8 ||
        patternLength < 1 || patternLength > 8)
        return failure(QStringLiteral("not a GEM image"));
    if (!sizeAcceptable(width, height))
        return failure(QStringLiteral("bad picture size"));
    const qsizetype dataStart = qsizetype(headerWords) * 2;
    if (dataStart > bytes.size())
        return failure(QStringLiteral("truncated GEM image"));
    if (factsOnly)
        return factsOnlyPicture(QSize(width, height), planes);

    QList<QRgb> palette;
    if (planes == 1) {
        palette = {0xFFFFFFFF, 0xFF000000};
    } else {
        for (int i = 0; i < (1 << planes); ++i)
            palette.append(i < 16 ? kStandardColours[i] : qRgb(i, i, i));
        ByteReader x(bytes, 16);
        if (headerWords >= 11 + 3 * (1 << planes) && x.u32be() == 0x58494D47 /* XIMG */ &&
            x.u16be() == 0) {
            for (int i = 0; i < (1 << planes); ++i) {
                const int red = std::min<int>(x.u16be(), 1000);
                const int green = std::min<int>(x.u16be(), 1000);
                const int blue = std::min<int>(x.u16be(), 1000);
                palette[i] = qRgb(red * 255 / 1000, green * 255 / 1000, blue * 255 / 1000);
            }
        }
    }

    const int rowBytes = (width + 7) / 8;
    std::vector<std::uint8_t> rows(std::size_t(rowBytes) * std::size_t(planes));
    std::vector<std::uint8_t> line(std::size_t(rowBytes) * 8); // one line of colour indexes
    // Runs through the data; with a sink, also gives it the lines. A first run without one
    // finds damaged data before a full-size picture's memory is taken (".img" is also the
    // extension of disk images, whose first bytes may pass for a header).
    auto run = [&](RowSink* sink) {
        ByteReader in(bytes, dataStart);
        int y = 0;
        while (y < height) {
            int repeat = 1;
            if (in.remaining() >= 4 && in.here()[0] == 0 && in.here()[1] == 0 &&
                in.here()[2] == 0xFF) {
                in.skip(3);
                repeat = std::max(1, int(in.u8()));
            }
            for (int p = 0; p < planes; ++p)
                if (!decodeRow(in, patternLength, &rows[std::size_t(p) * rowBytes], rowBytes))
                    return false;
            if (sink && planes == 1) {
                sink->put(y, rows.data(), repeat);
            } else if (sink) {
                // Eight pixels at a time: each plane's byte spread to one bit of eight lanes.
                for (int b = 0; b < rowBytes; ++b) {
                    std::uint64_t lanes = 0;
                    for (int p = 0; p < planes; ++p)
                        lanes |= kSpread[rows[std::size_t(p) * rowBytes + std::size_t(b)]] << p;
                    for (int k = 0; k < 8; ++k)
                        line[std::size_t(b) * 8 + std::size_t(k)] = std::uint8_t(lanes >> (8 * k));
                }
                sink->put(y, line.data(), repeat);
            }
            y += repeat;
        }
        return true;
    };
    const QSize size(width, height);
    if (reductionFor(size, hint) == 1 && !run(nullptr))
        return failure(QStringLiteral("truncated GEM image"));
    RowSink sink(size, hint, planes == 1 ? RowSink::Rows::Bits : RowSink::Rows::Indexes, palette);
    if (!sink.ok())
        return failure(QStringLiteral("out of memory"));
    if (!run(&sink))
        return failure(QStringLiteral("truncated GEM image"));
    return finishReduced(sink.take(), size, planes, hint);
}

} // namespace decoders
