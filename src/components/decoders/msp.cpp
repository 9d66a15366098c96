#include "components/decoders/msp.h"

#include "components/decoders/bytes.h"

#include <cstring>

namespace decoders {

namespace {

constexpr int kHeaderBytes = 32;

// Unpacks one version-2 row of length bytes at r into row; false on damaged data.
bool unpackRow(ByteReader& r, int length, std::uint8_t* row, int rowBytes) {
    const qsizetype end = r.pos() + length;
    int x = 0;
    while (r.pos() < end && x < rowBytes) {
        const int n = r.u8();
        if (n == 0) {
            const int count = r.u8();
            const std::uint8_t value = r.u8();
            for (int i = 0; i < count && x < rowBytes; ++i)
                row[x++] = value;
        } else {
            for (int i = 0; i < n && x < rowBytes; ++i)
                row[x++] = r.u8();
        }
        if (r.failed())
            return false;
    }
    r.seek(end);
    return !r.failed();
}

} // namespace

Picture readMsp(const QByteArray& bytes, QSize hint) {
    ByteReader r(bytes);
    const std::uint32_t key = r.u32be();
    const bool version2 = key == 0x4C696E53; // "LinS"
    if (key != 0x44616E4D && !version2)      // "DanM"
        return failure(QStringLiteral("not an MS Paint picture"));
    const int width = r.u16le();
    const int height = r.u16le();
    if (r.failed() || !sizeAcceptable(width, height))
        return failure(QStringLiteral("bad picture size"));
    const int rowBytes = (width + 7) / 8;
    QImage image(width, height, QImage::Format_Mono);
    if (image.isNull())
        return failure(QStringLiteral("out of memory"));
    image.setColorTable({0xFF000000, 0xFFFFFFFF});
    if (!version2) {
        r.seek(kHeaderBytes);
        if (r.remaining() < qsizetype(rowBytes) * height)
            return failure(QStringLiteral("truncated MS Paint picture"));
        for (int y = 0; y < height; ++y, r.skip(rowBytes))
            std::memcpy(image.scanLine(y), r.here(), std::size_t(rowBytes));
    } else {
        ByteReader map(bytes, kHeaderBytes);
        r.seek(kHeaderBytes + qsizetype(height) * 2);
        if (r.failed())
            return failure(QStringLiteral("truncated MS Paint picture"));
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = image.scanLine(y);
            std::memset(row, 0xFF, std::size_t(rowBytes));
            if (!unpackRow(r, map.u16le(), row, rowBytes))
                return failure(QStringLiteral("truncated MS Paint picture"));
        }
    }
    return finish(std::move(image), 1, hint);
}

} // namespace decoders
