#include "components/decoders/qt_reader.h"

#include "components/decoders/budget.h"
#include "components/decoders/bytes.h"

#include <QBuffer>
#include <QImageReader>
#include <cctype>

namespace decoders {

namespace {

// Bits per pixel of a PNG stream's header: depth times the channels of its colour type.
int pngBitsPerPixel(ByteReader r) {
    r.skip(24);
    const int depth = r.u8();
    const int colourType = r.u8();
    static const int channels[] = {1, 0, 3, 1, 2, 0, 4};
    if (r.failed() || colourType > 6 || channels[colourType] == 0)
        return 0;
    return depth * channels[colourType];
}

const char* readerName(Format format) {
    switch (format) {
    case Format::Ico:
        return "ico";
    default:
        return "ppm";
    }
}

} // namespace

int netpbmBitsPerPixel(const QByteArray& bytes) {
    if (bytes.size() < 2 || bytes[0] != 'P')
        return 0;
    const char kind = bytes[1];
    if (kind == '1' || kind == '4')
        return 1;
    // Width, height and the largest value follow the magic, separated by blanks and comments.
    qsizetype at = 2;
    long numbers[3] = {0, 0, 0};
    for (long& number : numbers) {
        while (at < bytes.size() && (std::isspace(std::uint8_t(bytes[at])) || bytes[at] == '#')) {
            if (bytes[at] == '#')
                while (at < bytes.size() && bytes[at] != '\n')
                    ++at;
            else
                ++at;
        }
        if (at >= bytes.size() || !std::isdigit(std::uint8_t(bytes[at])))
            return 0;
        while (at < bytes.size() && std::isdigit(std::uint8_t(bytes[at])) && number < 1000000)
            number = number * 10 + (bytes[at++] - '0');
    }
    const int channelBits = numbers[2] > 255 ? 16 : 8;
    return (kind == '3' || kind == '6') ? 3 * channelBits : channelBits;
}

IconChoice largestIcon(const QByteArray& bytes) {
    ByteReader r(bytes);
    r.skip(4);
    const int count = r.u16le();
    IconChoice best;
    std::int64_t bestArea = 0;
    for (int i = 0; i < count && !r.failed(); ++i) {
        // Width and height (0 means 256), colours, a reserved byte, planes, bits, the
        // picture's length and its offset.
        int w = r.u8();
        int h = r.u8();
        r.skip(4);
        int bits = r.u16le();
        r.u32le();
        const std::uint32_t offset = r.u32le();
        if (r.failed())
            break;
        // The picture's own header knows best: a PNG's, or the bitmap header's bit count.
        ByteReader picture(bytes, qsizetype(offset));
        if (bytes.mid(qsizetype(offset), 8) == QByteArray("\x89PNG\r\n\x1A\n", 8)) {
            bits = pngBitsPerPixel(picture);
            // Icons of 256 pixels and more are PNG streams, which know their size.
            picture.skip(16);
            const std::uint32_t pngWidth = picture.u32be();
            const std::uint32_t pngHeight = picture.u32be();
            if (!picture.failed() && sizeAcceptable(pngWidth, pngHeight))
                w = int(pngWidth), h = int(pngHeight);
        } else {
            picture.skip(14);
            const int headerBits = picture.u16le();
            if (!picture.failed() && headerBits > 0)
                bits = headerBits;
        }
        const std::int64_t area = std::int64_t(w ? w : 256) * (h ? h : 256);
        if (area > bestArea || (area == bestArea && bits > best.bitsPerPixel)) {
            bestArea = area;
            best = {i, bits};
        }
    }
    return best;
}

Picture readWithQtReader(const QByteArray& bytes, Format format, QSize hint, bool factsOnly) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, readerName(format));
    reader.setAutoTransform(true);
    int bits = 0;
    if (format == Format::Ico) {
        const IconChoice icon = largestIcon(bytes);
        if (icon.index < 0 || !reader.jumpToImage(icon.index))
            return failure(QStringLiteral("unreadable icon file"));
        bits = icon.bitsPerPixel;
    } else {
        bits = netpbmBitsPerPixel(bytes);
    }
    const QSize size = reader.size();
    if (size.isValid() && !sizeAcceptable(size.width(), size.height()))
        return failure(QStringLiteral("picture too large"));
    if (factsOnly && size.isValid())
        return factsOnlyPicture((reader.transformation() & QImageIOHandler::TransformationRotate90)
                                    ? size.transposed()
                                    : size,
                                bits);
    if (size.isValid() && !fitsBudget(size.width(), size.height(), 8, decodeBudget()))
        return failure(QStringLiteral("picture too large"));
    QImage image = reader.read();
    if (image.isNull())
        return failure(reader.errorString());
    return finish(std::move(image), bits, hint);
}

} // namespace decoders
