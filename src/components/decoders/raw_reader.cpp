#include "components/decoders/raw_reader.h"

#include "components/decoders/budget.h"
#include "components/decoders/bytes.h"
#include "components/decoders/jpeg_reader.h"
#include "components/decoders/tiff_tags.h"

#include <cstdio>
#include <libraw/libraw.h>
#include <memory>

namespace decoders {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The orientation in a JPEG stream's EXIF segment, 0 when it has none.
int jpegOrientation(const QByteArray& jpeg) {
    ByteReader r(jpeg, 2);
    while (!r.failed() && r.u8() == 0xFF) {
        const int marker = r.u8();
        if (marker == 0xDA || marker == 0xD9)
            break;
        const int length = r.u16be();
        const qsizetype start = r.pos();
        if (marker == 0xE1 && jpeg.mid(start, 6) == QByteArray("Exif\0\0", 6))
            return exifOrientation(jpeg.mid(start, length - 2));
        r.seek(start + length - 2);
    }
    return 0;
}

Picture embeddedJpeg(const libraw_thumbnail_t& thumb, QSize full, int flip, QSize hint) {
    QByteArray jpeg(thumb.thumb, qsizetype(thumb.tlength));
    // Decoded straight from memory, at the DCT scale that fills the box.
    const std::unique_ptr<std::FILE, FileCloser> stream(
        fmemopen(jpeg.data(), std::size_t(jpeg.size()), "rb"));
    if (!stream)
        return failure(QStringLiteral("out of memory"));
    DecodeOptions options;
    options.hint = hint;
    Picture preview = readJpeg(stream.get(), options);
    if (!preview.ok())
        return preview;
    QImage image = std::move(preview.image);
    if (jpegOrientation(jpeg) <= 1)
        image = applyOrientation(image, orientationOfFlip(flip));
    return finishReduced(std::move(image), full, 24, hint);
}

Picture embeddedBitmap(const libraw_thumbnail_t& thumb, QSize full, int flip, QSize hint) {
    const int w = thumb.twidth, h = thumb.theight;
    if (thumb.tcolors != 3 || !sizeAcceptable(w, h) || !fitsBudget(w, h, 8, decodeBudget()) ||
        std::int64_t(thumb.tlength) < std::int64_t(w) * h * 3)
        return failure(QStringLiteral("unreadable camera preview"));
    const QImage view(reinterpret_cast<const uchar*>(thumb.thumb), w, h, qsizetype(w) * 3,
                      QImage::Format_RGB888);
    QImage image =
        applyOrientation(view.convertToFormat(QImage::Format_RGB32), orientationOfFlip(flip));
    return finishReduced(std::move(image), full, 24, hint);
}

} // namespace

int orientationOfFlip(int flip) {
    static const int orientation[8] = {1, 2, 4, 3, 5, 8, 6, 7};
    return flip >= 0 && flip < 8 ? orientation[flip] : 1;
}

Picture readRaw(const QByteArray& bytes, QSize hint, bool factsOnly) {
    // LibRaw's object holds large tables: it lives on the heap.
    const auto raw = std::make_unique<LibRaw>(LIBRAW_OPIONS_NO_DATAERR_CALLBACK);
    // LibRaw only reads the buffer; a non-const view would copy the whole file.
    if (raw->open_buffer(const_cast<char*>(bytes.constData()), std::size_t(bytes.size())) !=
        LIBRAW_SUCCESS)
        return failure(QStringLiteral("unreadable camera RAW file"));
    const libraw_image_sizes_t& sizes = raw->imgdata.sizes;
    if (!sizeAcceptable(sizes.width, sizes.height))
        return failure(QStringLiteral("picture too large"));
    const int flip = sizes.flip;
    const QSize full =
        (flip & 4) ? QSize(sizes.height, sizes.width) : QSize(sizes.width, sizes.height);
    if (factsOnly)
        return factsOnlyPicture(full, 24);
    if (raw->unpack_thumb() != LIBRAW_SUCCESS)
        return failure(QStringLiteral("no camera preview in the RAW file"));
    const libraw_thumbnail_t& thumb = raw->imgdata.thumbnail;
    if (!thumb.thumb || thumb.tlength == 0)
        return failure(QStringLiteral("no camera preview in the RAW file"));
    switch (thumb.tformat) {
    case LIBRAW_THUMBNAIL_JPEG:
        return embeddedJpeg(thumb, full, flip, hint);
    case LIBRAW_THUMBNAIL_BITMAP:
        return embeddedBitmap(thumb, full, flip, hint);
    default:
        return failure(QStringLiteral("camera preview of an unknown kind"));
    }
}

} // namespace decoders
