#include "components/decoders/tiff_tags.h"

#include "components/decoders/bytes.h"

#include <QTransform>

namespace decoders {

TiffTags readTiffTags(const QByteArray& tiff) {
    TiffTags tags;
    ByteReader r(tiff);
    const std::uint16_t order = r.u16be();
    const bool little = order == 0x4949;
    if (!little && order != 0x4D4D)
        return tags;
    auto u16 = [&] { return little ? r.u16le() : r.u16be(); };
    auto u32 = [&] { return little ? r.u32le() : r.u32be(); };
    if (u16() != 42)
        return tags;
    r.seek(qsizetype(u32()));
    int bitsPerSample = 0;
    int samples = 1;
    const int entries = u16();
    for (int i = 0; i < entries && !r.failed(); ++i) {
        const std::uint16_t tag = u16();
        const std::uint16_t type = u16();
        const std::uint32_t count = u32();
        // A SHORT value sits in the first half of the value field, in the file's byte order;
        // with more than two values the field holds their offset instead.
        const qsizetype field = r.pos();
        std::uint16_t value = u16();
        if (type == 3 && count > 2) {
            const std::uint32_t offset = little ? (value | (std::uint32_t(u16()) << 16))
                                                : ((std::uint32_t(value) << 16) | u16());
            ByteReader at(tiff, qsizetype(offset));
            value = little ? at.u16le() : at.u16be();
            if (at.failed())
                value = 0;
        }
        r.seek(field + 4);
        if (type != 3 || r.failed())
            continue;
        if (tag == 0x0112 && value >= 1 && value <= 8)
            tags.orientation = value;
        else if (tag == 0x0102)
            bitsPerSample = value;
        else if (tag == 0x0115)
            samples = value;
    }
    if (bitsPerSample > 0 && samples > 0 && bitsPerSample * samples <= 128)
        tags.bitsPerPixel = bitsPerSample * samples;
    return tags;
}

int exifOrientation(const QByteArray& exif) {
    const QByteArray prefix("Exif\0\0", 6);
    return readTiffTags(exif.startsWith(prefix) ? exif.mid(prefix.size()) : exif).orientation;
}

QImage applyOrientation(const QImage& image, int orientation) {
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.transformed(QTransform().rotate(180));
    case 4:
        return image.mirrored(false, true);
    case 5:
        return image.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6:
        return image.transformed(QTransform().rotate(90));
    case 7:
        return image.transformed(QTransform().rotate(270)).mirrored(true, false);
    case 8:
        return image.transformed(QTransform().rotate(270));
    default:
        return image;
    }
}

} // namespace decoders
