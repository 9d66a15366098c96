#include "components/decoders/iff_ilbm.h"

#include "components/decoders/bytes.h"
#include "components/decoders/row_sink.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace decoders {

namespace {

struct Header {
    int width = 0;
    int height = 0;
    int planes = 0;
    int masking = 0;
    int compression = 0;
};

// Fills out (n bytes) from the body, unpacking ByteRun1 when asked; false on damaged data.
bool readRow(ByteReader& r, bool packed, std::uint8_t* out, int n) {
    if (!packed) {
        if (r.remaining() < n)
            return false;
        std::memcpy(out, r.here(), std::size_t(n));
        r.skip(n);
        return true;
    }
    int x = 0;
    while (x < n) {
        if (r.atEnd())
            return false;
        const auto code = std::int8_t(r.u8());
        if (code >= 0) {
            for (int i = 0; i <= code; ++i) {
                const std::uint8_t b = r.u8();
                if (x < n)
                    out[x++] = b;
            }
        } else if (code != -128) {
            const std::uint8_t b = r.u8();
            for (int i = 0; i < 1 - code && x < n; ++i)
                out[x++] = b;
        }
        if (r.failed())
            return false;
    }
    return true;
}

} // namespace

Picture readIlbm(const QByteArray& bytes, QSize hint, bool factsOnly) {
    ByteReader r(bytes);
    if (r.u32be() != 0x464F524D) // "FORM"
        return failure(QStringLiteral("not an IFF file"));
    const std::uint32_t formLength = r.u32be();
    const std::uint32_t kind = r.u32be();
    const bool chunky = kind == 0x50424D20; // "PBM "
    if (!chunky && kind != 0x494C424D)      // "ILBM"
        return failure(QStringLiteral("not an IFF picture"));
    const qsizetype end = std::min<qsizetype>(bytes.size(), qsizetype(formLength) + 8);

    Header h;
    QList<QRgb> colours;
    std::uint32_t mode = 0;
    qsizetype bodyStart = -1, bodyLength = 0;
    while (r.pos() + 8 <= end && !r.failed()) {
        const std::uint32_t id = r.u32be();
        const std::uint32_t length = r.u32be();
        const qsizetype start = r.pos();
        if (qsizetype(length) > end - start)
            return failure(QStringLiteral("truncated IFF file"));
        if (id == 0x424D4844) { // BMHD
            h.width = r.u16be();
            h.height = r.u16be();
            r.skip(4);
            h.planes = r.u8();
            h.masking = r.u8();
            h.compression = r.u8();
        } else if (id == 0x434D4150) { // CMAP
            for (std::uint32_t i = 0; i + 3 <= length && colours.size() < 256; i += 3) {
                const int red = r.u8(), green = r.u8();
                colours.append(qRgb(red, green, r.u8()));
            }
        } else if (id == 0x43414D47 && length >= 4) { // CAMG
            mode = r.u32be();
        } else if (id == 0x424F4459) { // BODY
            bodyStart = start;
            bodyLength = length;
        }
        r.seek(start + qsizetype(length) + (length & 1));
        if (r.failed()) // the last pad byte may be missing
            break;
    }
    if (h.width == 0 && h.height == 0)
        return failure(QStringLiteral("no picture header"));
    if (!sizeAcceptable(h.width, h.height))
        return failure(QStringLiteral("bad picture size"));
    if (bodyStart < 0)
        return failure(QStringLiteral("no picture data"));
    const bool deep = h.planes == 24;
    if (chunky ? h.planes != 8 : (h.planes < 1 || (h.planes > 8 && !deep)) || h.compression > 1)
        return failure(QStringLiteral("unsupported IFF picture"));

    const QSize size(h.width, h.height);
    if (factsOnly)
        return factsOnlyPicture(size, chunky ? 8 : h.planes);

    const bool ham = (mode & 0x800) && !deep && !chunky && (h.planes == 6 || h.planes == 8);
    const bool halfBrite = (mode & 0x80) && !deep && !ham && h.planes == 6;
    if (colours.isEmpty()) {
        // No palette: a grey ramp over the planes' values.
        const int levels = 1 << std::min(h.planes, 8);
        for (int i = 0; i < levels; ++i) {
            const int grey = i * 255 / std::max(1, levels - 1);
            colours.append(qRgb(grey, grey, grey));
        }
    }
    if (halfBrite)
        for (int i = 0; i < 32 && i < colours.size(); ++i)
            colours.append(
                qRgb(qRed(colours[i]) / 2, qGreen(colours[i]) / 2, qBlue(colours[i]) / 2));
    colours.resize(256, 0xFF000000);

    // Palette pictures go on as colour indexes; deep and hold-and-modify ones as colours.
    const bool indexed = !deep && !ham;
    RowSink sink(size, hint, indexed ? RowSink::Rows::Indexes : RowSink::Rows::Rgb, colours);
    if (!sink.ok())
        return failure(QStringLiteral("out of memory"));
    const int planeBytes = chunky ? (h.width + 1) & ~1 : ((h.width + 15) / 16) * 2;
    const int rowPlanes = chunky ? 1 : h.planes + (h.masking == 1 ? 1 : 0);
    std::vector<std::uint8_t> row(std::size_t(planeBytes) * std::size_t(rowPlanes));
    std::vector<std::uint8_t> indexes(indexed ? std::size_t(h.width) : 0);
    std::vector<QRgb> line(indexed ? 0 : std::size_t(h.width));
    // The reader keeps a pointer into the bytes, so they must outlive it.
    const QByteArray bodyBytes = bytes.left(bodyStart + bodyLength);
    ByteReader body(bodyBytes, bodyStart);
    const int hamShift = h.planes - 2;
    for (int y = 0; y < h.height; ++y) {
        for (int p = 0; p < rowPlanes; ++p)
            if (!readRow(body, h.compression == 1, &row[std::size_t(p) * planeBytes], planeBytes))
                return failure(QStringLiteral("truncated IFF picture"));
        if (chunky) {
            sink.put(y, row.data());
            continue;
        }
        QRgb previous = colours[0];
        for (int x = 0; x < h.width; ++x) {
            std::uint32_t value = 0;
            for (int p = 0; p < h.planes; ++p)
                if (row[std::size_t(p) * planeBytes + x / 8] & (0x80 >> (x % 8)))
                    value |= 1u << p;
            if (indexed) {
                indexes[std::size_t(x)] = std::uint8_t(value);
                continue;
            }
            QRgb colour;
            if (deep) {
                colour =
                    qRgb(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
            } else {
                // Hold and modify: the top two bits choose a palette colour or replace one
                // component of the pixel to the left with the low bits.
                const int control = int(value >> hamShift);
                const int low = int(value & ((1u << hamShift) - 1));
                const int component = (low << (8 - hamShift)) | (low >> (2 * hamShift - 8));
                if (control == 0)
                    colour = colours[low];
                else if (control == 1)
                    colour = qRgb(qRed(previous), qGreen(previous), component);
                else if (control == 2)
                    colour = qRgb(component, qGreen(previous), qBlue(previous));
                else
                    colour = qRgb(qRed(previous), component, qBlue(previous));
            }
            line[std::size_t(x)] = colour;
            previous = colour;
        }
        if (indexed)
            sink.put(y, indexes.data());
        else
            sink.put(y, line.data());
    }
    return finishReduced(sink.take(), size, chunky ? 8 : h.planes, hint);
}

} // namespace decoders
