#include "components/decoders/heif_reader.h"

#include "components/decoders/budget.h"
#include "components/decoders/bytes.h"
#include "components/decoders/tiff_tags.h"

#include <QTransform>
#include <algorithm>
#include <avif/avif.h>
#include <libheif/heif.h>
#include <memory>
#include <thread>
#include <vector>

namespace decoders {

namespace {

struct HeifContextDeleter {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HeifHandleDeleter {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct HeifImageDeleter {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct HeifOptionsDeleter {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
using HeifHandle = std::unique_ptr<heif_image_handle, HeifHandleDeleter>;

struct AvifDecoderDeleter {
    void operator()(avifDecoder* d) const { avifDecoderDestroy(d); }
};

QString heifText(const heif_error& error) {
    return error.message && *error.message ? QString::fromUtf8(error.message)
                                           : QStringLiteral("unreadable HEIF file");
}

int decoderThreads() {
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

// The smallest thumbnail that still fills the box as the picture would, or none.
HeifHandle thumbnailFor(heif_image_handle* primary, QSize hint) {
    if (hint.isEmpty())
        return nullptr;
    const QSize full(heif_image_handle_get_width(primary), heif_image_handle_get_height(primary));
    const QSize needed = fittedSize(full, hint);
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0)
        return nullptr;
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    HeifHandle best;
    for (const heif_item_id id : ids) {
        heif_image_handle* thumb = nullptr;
        if (heif_image_handle_get_thumbnail(primary, id, &thumb).code != heif_error_Ok)
            continue;
        HeifHandle candidate(thumb);
        const QSize size(heif_image_handle_get_width(thumb), heif_image_handle_get_height(thumb));
        if (size.width() < needed.width() || size.height() < needed.height())
            continue;
        if (!best || size.width() < heif_image_handle_get_width(best.get()))
            best = std::move(candidate);
    }
    return best;
}

QImage decodeHeifImage(heif_image_handle* handle, bool alpha, QString& error) {
    const std::unique_ptr<heif_decoding_options, HeifOptionsDeleter> options(
        heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    const heif_error result = heif_decode_image(
        handle, &decoded, heif_colorspace_RGB,
        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    if (result.code != heif_error_Ok) {
        error = heifText(result);
        return {};
    }
    const std::unique_ptr<heif_image, HeifImageDeleter> image(decoded);
    int stride = 0;
    const std::uint8_t* plane =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!plane || !sizeAcceptable(width, height)) {
        error = QStringLiteral("no pixels");
        return {};
    }
    const QImage view(plane, width, height, stride,
                      alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    return view.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

// A box of an ISO base media file: where its body starts and where the box ends.
struct Box {
    qsizetype body = -1;
    qsizetype end = -1;
    bool found() const { return body >= 0; }
};

// Calls visit(type, box) for each box within a box's body, until it returns false.
template <typename Visit> void forEachBox(const QByteArray& file, Box within, Visit visit) {
    ByteReader r(file, within.body);
    while (!r.failed() && r.pos() + 8 <= within.end) {
        const qsizetype start = r.pos();
        std::uint64_t size = r.u32be();
        const QByteArray type(reinterpret_cast<const char*>(r.here()), 4);
        r.skip(4);
        if (size == 1) {
            size = std::uint64_t(r.u32be()) << 32;
            size |= r.u32be();
        } else if (size == 0) {
            size = std::uint64_t(within.end - start);
        }
        const qsizetype body = r.pos();
        if (r.failed() || size < std::uint64_t(body - start) ||
            size > std::uint64_t(within.end - start))
            return;
        const Box box{body, start + qsizetype(size)};
        if (!visit(type, box))
            return;
        r.seek(box.end);
    }
}

Box findBox(const QByteArray& file, Box within, const char* name) {
    Box found;
    forEachBox(file, within, [&](const QByteArray& type, Box box) {
        if (type != name)
            return true;
        found = box;
        return false;
    });
    return found;
}

// Whether the primary item of a HEIF file is turned or mirrored by its own properties (irot,
// imir), which libheif applies. True too when the boxes cannot be read: only a file that
// plainly has neither is turned by its EXIF orientation.
bool primaryHasTransformations(const QByteArray& file) {
    const Box meta = findBox(file, Box{0, file.size()}, "meta");
    if (!meta.found())
        return true;
    const Box children{meta.body + 4, meta.end}; // after the version and flags
    const Box pitm = findBox(file, children, "pitm");
    const Box iprp = findBox(file, children, "iprp");
    if (!pitm.found() || !iprp.found())
        return true;
    ByteReader r(file, pitm.body);
    const int pitmVersion = r.u8();
    r.skip(3); // flags
    const std::uint32_t primary = pitmVersion == 0 ? r.u16be() : r.u32be();
    const Box ipco = findBox(file, iprp, "ipco");
    const Box ipma = findBox(file, iprp, "ipma");
    if (r.failed() || !ipco.found() || !ipma.found())
        return true;
    std::vector<QByteArray> properties; // in order: index 1 is the first
    forEachBox(file, ipco, [&](const QByteArray& type, Box) {
        properties.push_back(type);
        return true;
    });
    ByteReader m(file, ipma.body);
    const int version = m.u8();
    m.skip(2);
    const bool wideIndexes = (m.u8() & 1) != 0;
    const std::uint32_t entries = m.u32be();
    for (std::uint32_t e = 0; e < entries && !m.failed() && m.pos() < ipma.end; ++e) {
        const std::uint32_t item = version < 1 ? m.u16be() : m.u32be();
        const int count = m.u8();
        for (int a = 0; a < count; ++a) {
            const std::size_t index = wideIndexes ? m.u16be() & 0x7FFF : m.u8() & 0x7F;
            if (item == primary && index >= 1 && index <= properties.size() &&
                (properties[index - 1] == "irot" || properties[index - 1] == "imir"))
                return true;
        }
        if (item == primary)
            return m.failed() || m.pos() > ipma.end;
    }
    return true;
}

// The orientation in the item's EXIF block, 1 when it has none. libheif gives the block as
// stored: the offset of the TIFF structure after these first four bytes, then the structure.
int heifExifOrientation(heif_image_handle* handle) {
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) != 1)
        return 1;
    const std::size_t size = heif_image_handle_get_metadata_size(handle, id);
    if (size < 4 || size > (std::size_t(1) << 20))
        return 1;
    QByteArray block(qsizetype(size), '\0');
    if (heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok)
        return 1;
    ByteReader r(block);
    const std::uint32_t offset = r.u32be();
    if (offset > size - 4)
        return 1;
    return exifOrientation(block.mid(qsizetype(4 + offset)));
}

// The HEIF transformations: a rotation anticlockwise in quarter turns, then a mirror.
QImage transformed(const QImage& image, const avifImage* avif) {
    QImage result = image;
    if ((avif->transformFlags & AVIF_TRANSFORM_IROT) && avif->irot.angle % 4 != 0)
        result = result.transformed(QTransform().rotate(-90.0 * (avif->irot.angle % 4)));
    if (avif->transformFlags & AVIF_TRANSFORM_IMIR)
        result = avif->imir.mode == 0 ? result.mirrored(false, true) : result.mirrored(true, false);
    return result;
}

} // namespace

Picture readHeif(const QByteArray& bytes, QSize hint, bool factsOnly) {
    const std::unique_ptr<heif_context, HeifContextDeleter> context(heif_context_alloc());
    if (!context)
        return failure(QStringLiteral("out of memory"));
    heif_error result = heif_context_read_from_memory_without_copy(
        context.get(), bytes.constData(), std::size_t(bytes.size()), nullptr);
    if (result.code != heif_error_Ok)
        return failure(heifText(result));
    heif_image_handle* primary = nullptr;
    result = heif_context_get_primary_image_handle(context.get(), &primary);
    if (result.code != heif_error_Ok)
        return failure(heifText(result));
    const HeifHandle handle(primary);
    // Width and height are those after the file's rotation and mirror. A file that has neither
    // but an EXIF orientation (heif-enc makes one from a turned photo) is turned by that.
    const QSize stored(heif_image_handle_get_width(primary), heif_image_handle_get_height(primary));
    const int orientation = primaryHasTransformations(bytes) ? 1 : heifExifOrientation(primary);
    const QSize full = swapsSides(orientation) ? stored.transposed() : stored;
    if (!sizeAcceptable(full.width(), full.height()))
        return failure(QStringLiteral("picture too large"));
    const bool alpha = heif_image_handle_has_alpha_channel(primary) != 0;
    const int depth = std::max(1, heif_image_handle_get_luma_bits_per_pixel(primary));
    const int bits = depth * (alpha ? 4 : 3);
    if (factsOnly)
        return factsOnlyPicture(full, bits);
    // The decoded planes, then the interleaved copy and the 32-bit picture.
    if (!fitsBudget(full.width(), full.height(), 10, decodeBudget()))
        return failure(QStringLiteral("picture too large"));

    QString error;
    // The thumbnail is stored the way the picture is.
    if (const HeifHandle thumbnail =
            thumbnailFor(primary, swapsSides(orientation) ? hint.transposed() : hint)) {
        QImage image = decodeHeifImage(thumbnail.get(),
                                       heif_image_handle_has_alpha_channel(thumbnail.get()), error);
        if (!image.isNull())
            return finishReduced(applyOrientation(image, orientation), full, bits, hint);
    }
    QImage image = decodeHeifImage(primary, alpha, error);
    if (image.isNull())
        return failure(error);
    return finishReduced(applyOrientation(image, orientation), full, bits, hint);
}

Picture readAvif(const QByteArray& bytes, QSize hint, bool factsOnly) {
    const std::unique_ptr<avifDecoder, AvifDecoderDeleter> decoder(avifDecoderCreate());
    if (!decoder)
        return failure(QStringLiteral("out of memory"));
    decoder->maxThreads = decoderThreads();
    // libavif's own size limit (268 megapixels) stays: it refuses a larger one outright.
    // Files from the wild often lack a property the strict rules ask for; they still decode.
    decoder->strictFlags = AVIF_STRICT_DISABLED;
    avifResult result = avifDecoderSetIOMemory(
        decoder.get(), reinterpret_cast<const std::uint8_t*>(bytes.constData()),
        std::size_t(bytes.size()));
    if (result == AVIF_RESULT_OK)
        result = avifDecoderParse(decoder.get());
    if (result != AVIF_RESULT_OK)
        return failure(QString::fromUtf8(avifResultToString(result)));
    const avifImage* header = decoder->image;
    if (!sizeAcceptable(header->width, header->height))
        return failure(QStringLiteral("picture too large"));
    const int channels =
        (header->yuvFormat == AVIF_PIXEL_FORMAT_YUV400 ? 1 : 3) + (decoder->alphaPresent ? 1 : 0);
    const int bits = int(header->depth) * channels;
    const bool quarterTurn =
        (header->transformFlags & AVIF_TRANSFORM_IROT) && header->irot.angle % 2;
    if (factsOnly)
        return factsOnlyPicture(quarterTurn ? QSize(int(header->height), int(header->width))
                                            : QSize(int(header->width), int(header->height)),
                                bits);
    // The decoded planes (up to 16 bits a sample), then the 32-bit picture.
    if (!fitsBudget(header->width, header->height, 12, decodeBudget()))
        return failure(QStringLiteral("picture too large"));
    result = avifDecoderNextImage(decoder.get());
    if (result != AVIF_RESULT_OK)
        return failure(QString::fromUtf8(avifResultToString(result)));
    const avifImage* frame = decoder->image;
    const bool alpha = decoder->alphaPresent;
    QImage image(int(frame->width), int(frame->height),
                 alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return failure(QStringLiteral("out of memory"));
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, frame);
    rgb.format = AVIF_RGB_FORMAT_BGRA;
    rgb.depth = 8;
    rgb.pixels = image.bits();
    rgb.rowBytes = std::uint32_t(image.bytesPerLine());
    result = avifImageYUVToRGB(frame, &rgb);
    if (result != AVIF_RESULT_OK)
        return failure(QString::fromUtf8(avifResultToString(result)));
    image = transformed(image, frame);
    return finish(std::move(image), bits, hint);
}

} // namespace decoders
