#include "components/decoders/webp_reader.h"

#include "components/decoders/budget.h"
#include "components/decoders/tiff_tags.h"

#include <memory>
#include <webp/decode.h>
#include <webp/demux.h>

namespace decoders {

namespace {

struct DemuxDeleter {
    void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};
struct AnimDeleter {
    void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};

int orientationOf(const WebPDemuxer* demux) {
    WebPChunkIterator chunk;
    if (!WebPDemuxGetChunk(demux, "EXIF", 1, &chunk))
        return 1;
    const QByteArray exif(reinterpret_cast<const char*>(chunk.chunk.bytes),
                          qsizetype(chunk.chunk.size));
    WebPDemuxReleaseChunkIterator(&chunk);
    return exifOrientation(exif);
}

// The first frame of an animation, on the whole canvas.
QImage firstFrame(const WebPData& data) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return {};
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const std::unique_ptr<WebPAnimDecoder, AnimDeleter> decoder(
        WebPAnimDecoderNew(&data, &options));
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info))
        return {};
    std::uint8_t* pixels = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &pixels, &timestamp) || !pixels)
        return {};
    const QImage view(pixels, int(info.canvas_width), int(info.canvas_height),
                      qsizetype(info.canvas_width) * 4, QImage::Format_ARGB32);
    return view.copy();
}

} // namespace

Picture readWebP(const QByteArray& bytes, QSize hint, bool factsOnly) {
    const WebPData data{reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                        std::size_t(bytes.size())};
    const std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemux(&data));
    if (!demux)
        return failure(QStringLiteral("not a WebP file"));
    const int width = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
    const int height = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
    if (!sizeAcceptable(width, height))
        return failure(QStringLiteral("picture too large"));
    const std::uint32_t flags = WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS);
    const int orientation = orientationOf(demux.get());
    const QSize upright = swapsSides(orientation) ? QSize(height, width) : QSize(width, height);
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return failure(QStringLiteral("unreadable WebP file"));
    // An animation's header says whether it has alpha; a still picture's bitstream does.
    const bool alpha = (flags & ANIMATION_FLAG) ? (flags & ALPHA_FLAG) != 0
                                                : WebPGetFeatures(data.bytes, data.size,
                                                                  &config.input) == VP8_STATUS_OK &&
                                                      config.input.has_alpha;
    const int bits = alpha ? 32 : 24;
    if (factsOnly)
        return factsOnlyPicture(upright, bits);
    if (!fitsBudget(width, height, (flags & ANIMATION_FLAG) ? 8 : 4, decodeBudget()))
        return failure(QStringLiteral("picture too large"));

    if (flags & ANIMATION_FLAG) {
        const QImage frame = firstFrame(data);
        if (frame.isNull())
            return failure(QStringLiteral("unreadable WebP animation"));
        return finishReduced(applyOrientation(frame, orientation), upright, bits, hint);
    }

    if (WebPGetFeatures(data.bytes, data.size, &config.input) != VP8_STATUS_OK)
        return failure(QStringLiteral("unreadable WebP file"));
    // Decoded at the size that fills the box once turned upright.
    const QSize target = fittedSize(upright, hint);
    const QSize decoded = swapsSides(orientation) ? target.transposed() : target;
    QImage image(decoded, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return failure(QStringLiteral("out of memory"));
    if (decoded != QSize(width, height)) {
        config.options.use_scaling = 1;
        config.options.scaled_width = decoded.width();
        config.options.scaled_height = decoded.height();
    }
    config.output.colorspace = MODE_BGRA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image.bits();
    config.output.u.RGBA.stride = int(image.bytesPerLine());
    config.output.u.RGBA.size = std::size_t(image.sizeInBytes());
    const VP8StatusCode status = WebPDecode(data.bytes, data.size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        return failure(QStringLiteral("unreadable WebP file"));
    return finishReduced(applyOrientation(image, orientation), upright, bits, hint);
}

} // namespace decoders
