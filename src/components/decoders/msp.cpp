#include "components/decoders/msp.h"

#include "components/decoders/bytes.h"
#include "components/decoders/row_sink.h"

#include <cstring>
#include <vector>

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

Picture readMsp(const QByteArray& bytes, QSize hint, bool factsOnly) {
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
    // Version 1 holds every row as it is, version 2 a length for each row: a file too short
    // for either is refused before any row.
    const qsizetype needed = version2 ? qsizetype(height) * 2 : qsizetype(rowBytes) * height;
    if (bytes.size() - kHeaderBytes < needed)
        return failure(QStringLiteral("truncated MS Paint picture"));
    const QSize size(width, height);
    if (factsOnly)
        return factsOnlyPicture(size, 1);
    RowSink sink(size, hint, RowSink::Rows::Bits, {0xFF000000, 0xFFFFFFFF});
    if (!sink.ok())
        return failure(QStringLiteral("out of memory"));
    if (!version2) {
        r.seek(kHeaderBytes);
        for (int y = 0; y < height; ++y, r.skip(rowBytes))
            sink.put(y, r.here());
    } else {
        ByteReader map(bytes, kHeaderBytes);
        r.seek(kHeaderBytes + qsizetype(height) * 2);
        std::vector<std::uint8_t> row(std::size_t(rowBytes), 0);
        for (int y = 0; y < height; ++y) {
            std::memset(row.data(), 0xFF, row.size());
            if (!unpackRow(r, map.u16le(), row.data(), rowBytes))
                return failure(QStringLiteral("truncated MS Paint picture"));
            sink.put(y, row.data());
        }
    }
    return finishReduced(sink.take(), size, 1, hint);
}

} // namespace decoders
