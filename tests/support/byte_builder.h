// Files built byte by byte from a format's structure, for the tests and benchmarks that need a
// file no tool writes (damaged, hostile or exotic): numbers appended in either byte order, zlib
// streams, PNG chunks, placeable metafiles, and a one-bit TIFF that claims a huge picture.
#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstdint>

namespace test {

// Little helpers that append numbers in either byte order.
struct Bytes {
    QByteArray data;
    Bytes& u8(int v) {
        data.append(char(v & 0xFF));
        return *this;
    }
    Bytes& le16(int v) { return u8(v).u8(v >> 8); }
    Bytes& be16(int v) { return u8(v >> 8).u8(v); }
    Bytes& le32(std::uint32_t v) { return le16(int(v & 0xFFFF)).le16(int(v >> 16)); }
    Bytes& be32(std::uint32_t v) { return be16(int(v >> 16)).be16(int(v & 0xFFFF)); }
    Bytes& raw(const QByteArray& b) {
        data.append(b);
        return *this;
    }
};

// A zlib stream of raw (Qt's length prefix dropped).
inline QByteArray zlib(const QByteArray& raw, int level = 9) {
    return qCompress(raw, level).mid(4);
}

inline std::uint32_t crc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= std::uint8_t(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG chunk: length, type, body and the CRC of type and body.
inline QByteArray pngChunk(const QByteArray& type, const QByteArray& body) {
    Bytes c;
    c.be32(std::uint32_t(body.size())).raw(type).raw(body).be32(crc32(type + body));
    return c.data;
}

// A placeable Windows metafile of width x height units at 96 units per inch: its placeable
// header (with its checksum), the metafile header and these records, which end with the
// end-of-file record. objects: how many objects the records create; largest: the largest record,
// in words.
inline QByteArray placeableWmf(int width, int height, const QByteArray& records, int objects,
                               std::uint32_t largest) {
    Bytes placeable;
    placeable.le32(0x9AC6CDD7u).le16(0).le16(0).le16(0).le16(width).le16(height).le16(96).le32(0);
    std::uint16_t sum = 0;
    for (int i = 0; i < 20; i += 2)
        sum ^= qFromLittleEndian<std::uint16_t>(placeable.data.constData() + i);
    placeable.le16(sum);
    Bytes header;
    header.le16(1).le16(9).le16(0x0300).le32(std::uint32_t((18 + records.size()) / 2));
    header.le16(objects).le32(largest).le16(0);
    return placeable.data + header.data + records;
}

// A one-bit TIFF of side x side white pixels in one deflate strip: a few tens of KB that claim
// side² pixels (20000: 50 MB of rows once inflated).
inline QByteArray oneBitDeflateTiff(int side) {
    const QByteArray strip = zlib(QByteArray(qsizetype(side / 8) * side, '\0'));
    Bytes t;
    const int entries = 9;
    t.raw("II").le16(42).le32(8).le16(entries);
    auto tag = [&](int id, int type, std::uint32_t value) {
        t.le16(id).le16(type).le32(1);
        if (type == 3)
            t.le16(int(value)).le16(0);
        else
            t.le32(value);
    };
    tag(256, 4, std::uint32_t(side));
    tag(257, 4, std::uint32_t(side));
    tag(258, 3, 1);
    tag(259, 3, 8); // deflate
    tag(262, 3, 0); // white is zero
    tag(273, 4, 8 + 2 + entries * 12 + 4);
    tag(277, 3, 1);
    tag(278, 4, std::uint32_t(side));
    tag(279, 4, std::uint32_t(strip.size()));
    t.le32(0);
    return t.data + strip;
}

} // namespace test
