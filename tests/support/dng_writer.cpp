#include "dng_writer.h"

#include <QImage>
#include <QList>
#include <QtEndian>
#include <algorithm>
#include <initializer_list>

namespace test {

namespace {

void appendLe16(QByteArray& bytes, qsizetype value) {
    char raw[2];
    qToLittleEndian(quint16(value), raw);
    bytes.append(raw, 2);
}
void appendLe32(QByteArray& bytes, std::uint32_t value) {
    char raw[4];
    qToLittleEndian(quint32(value), raw);
    bytes.append(raw, 4);
}

// A directory entry of a little-endian TIFF structure, its value already in bytes.
struct Entry {
    int tag;
    int type; // 1 byte, 2 text, 3 short, 4 long, 10 signed rational
    std::uint32_t count;
    QByteArray value;
};

QByteArray shorts(std::initializer_list<int> values) {
    QByteArray b;
    for (const int v : values)
        appendLe16(b, v);
    return b;
}
QByteArray longValue(std::uint32_t value) {
    QByteArray b;
    appendLe32(b, value);
    return b;
}
Entry text(int tag, const QByteArray& value) {
    return {tag, 2, std::uint32_t(value.size() + 1), value + '\0'};
}

std::uint32_t padded(qsizetype size) {
    return std::uint32_t(size + (size % 2));
}

// Bytes a directory takes with the values that do not fit its entries.
std::uint32_t directorySize(const QList<Entry>& entries) {
    std::uint32_t size = 2 + 12 * std::uint32_t(entries.size()) + 4;
    for (const Entry& e : entries)
        if (e.value.size() > 4)
            size += padded(e.value.size());
    return size;
}

// The directory laid out at offset at: the entries (sorted by tag, as TIFF asks), then the
// long values.
QByteArray directory(QList<Entry> entries, std::uint32_t at) {
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    QByteArray head, tail;
    const std::uint32_t extra = at + 2 + 12 * std::uint32_t(entries.size()) + 4;
    appendLe16(head, entries.size());
    for (const Entry& e : entries) {
        appendLe16(head, e.tag);
        appendLe16(head, e.type);
        appendLe32(head, e.count);
        if (e.value.size() <= 4) {
            head.append(e.value.leftJustified(4, '\0'));
        } else {
            appendLe32(head, extra + std::uint32_t(tail.size()));
            tail.append(e.value.leftJustified(padded(e.value.size()), '\0'));
        }
    }
    appendLe32(head, 0);
    return head + tail;
}

} // namespace

QByteArray buildDng(const QByteArray& previewJpeg, QSize rawSize, int orientation) {
    const QImage preview = QImage::fromData(previewJpeg);
    // The sensor data is never decoded (the preview is shown), so a flat grey will do.
    const QByteArray raw(qsizetype(rawSize.width()) * rawSize.height() * 2, '\x10');
    QByteArray identity;
    for (int i = 0; i < 9; ++i) {
        appendLe32(identity, i % 4 == 0 ? 1 : 0);
        appendLe32(identity, 1);
    }
    // Offsets are filled in once the sizes are known; the sizes do not depend on them.
    auto first = [&](std::uint32_t jpegAt, std::uint32_t subAt) {
        return QList<Entry>{
            {254, 4, 1, longValue(1)}, // a reduced-size picture: the preview
            {256, 4, 1, longValue(std::uint32_t(preview.width()))},
            {257, 4, 1, longValue(std::uint32_t(preview.height()))},
            {258, 3, 3, shorts({8, 8, 8})},
            {259, 3, 1, shorts({7})}, // JPEG
            {262, 3, 1, shorts({6})}, // YCbCr
            text(271, "Glimra"),
            text(272, "Fixture"),
            {273, 4, 1, longValue(jpegAt)},
            {274, 3, 1, shorts({orientation})},
            {277, 3, 1, shorts({3})},
            {278, 4, 1, longValue(std::uint32_t(preview.height()))},
            {279, 4, 1, longValue(std::uint32_t(previewJpeg.size()))},
            {330, 4, 1, longValue(subAt)},
            {50706, 1, 4, QByteArray("\x01\x04\x00\x00", 4)}, // DNG 1.4
            text(50708, "Glimra Fixture"),
            {50721, 10, 9, identity},
            {50778, 3, 1, shorts({21})},
        };
    };
    auto sub = [&](std::uint32_t rawAt) {
        return QList<Entry>{
            {254, 4, 1, longValue(0)},
            {256, 4, 1, longValue(std::uint32_t(rawSize.width()))},
            {257, 4, 1, longValue(std::uint32_t(rawSize.height()))},
            {258, 3, 1, shorts({16})},
            {259, 3, 1, shorts({1})},
            {262, 3, 1, shorts({32803})}, // colour filter array
            {273, 4, 1, longValue(rawAt)},
            {277, 3, 1, shorts({1})},
            {278, 4, 1, longValue(std::uint32_t(rawSize.height()))},
            {279, 4, 1, longValue(std::uint32_t(raw.size()))},
            {284, 3, 1, shorts({1})},
            {33421, 3, 2, shorts({2, 2})},
            {33422, 1, 4, QByteArray("\x00\x01\x01\x02", 4)}, // RGGB
        };
    };
    const std::uint32_t subAt = 8 + directorySize(first(0, 0));
    const std::uint32_t jpegAt = subAt + directorySize(sub(0));
    const std::uint32_t rawAt = jpegAt + padded(previewJpeg.size());
    QByteArray file("II");
    appendLe16(file, 42);
    appendLe32(file, 8);
    file.append(directory(first(jpegAt, subAt), 8));
    file.append(directory(sub(rawAt), subAt));
    file.append(previewJpeg.leftJustified(padded(previewJpeg.size()), '\0'));
    file.append(raw);
    return file;
}

} // namespace test
