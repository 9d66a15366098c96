#include "components/decoders/heif_reader.h"

#include "components/decoders/budget.h"

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
    // Width and height are those of the upright picture.
    const QSize full(heif_image_handle_get_width(primary), heif_image_handle_get_height(primary));
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
    if (const HeifHandle thumbnail = thumbnailFor(primary, hint)) {
        QImage image = decodeHeifImage(thumbnail.get(),
                                       heif_image_handle_has_alpha_channel(thumbnail.get()), error);
        if (!image.isNull())
            return finishReduced(std::move(image), full, bits, hint);
    }
    QImage image = decodeHeifImage(primary, alpha, error);
    if (image.isNull())
        return failure(error);
    return finishReduced(std::move(image), full, bits, hint);
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
