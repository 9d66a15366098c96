#include "components/decoders/jxl_reader.h"

#include "components/decoders/budget.h"

#include <algorithm>
#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace decoders {

namespace {

struct DecoderDeleter {
    void operator()(JxlDecoder* d) const { JxlDecoderDestroy(d); }
};
struct RunnerDeleter {
    void operator()(void* r) const { JxlThreadParallelRunnerDestroy(r); }
};

// Averages each r x r block of the picture into one pixel as rows arrive. libjxl calls it
// from several threads at once, for different parts of the picture.
class BoxShrink {
public:
    BoxShrink(QSize source, int reduction)
        : reduction_(reduction), size_((source.width() + reduction - 1) / reduction,
                                       (source.height() + reduction - 1) / reduction),
          sums_(std::size_t(size_.width()) * std::size_t(size_.height()) * 5, 0) {}

    static void take(void* self, std::size_t x, std::size_t y, std::size_t count,
                     const void* pixels) {
        static_cast<BoxShrink*>(self)->add(x, y, count, static_cast<const std::uint8_t*>(pixels));
    }

    QImage image() const {
        QImage out(size_, QImage::Format_RGBA8888);
        if (out.isNull())
            return out;
        for (int y = 0; y < size_.height(); ++y) {
            std::uint8_t* line = out.scanLine(y);
            for (int x = 0; x < size_.width(); ++x) {
                const std::uint64_t* cell = &sums_[(std::size_t(y) * size_.width() + x) * 5];
                const std::uint64_t n = std::max<std::uint64_t>(1, cell[4]);
                for (int c = 0; c < 4; ++c)
                    line[x * 4 + c] = std::uint8_t((cell[c] + n / 2) / n);
            }
        }
        return out;
    }

private:
    void add(std::size_t x, std::size_t y, std::size_t count, const std::uint8_t* rgba) {
        const std::lock_guard lock(mutex_);
        std::uint64_t* row = &sums_[(y / reduction_) * std::size_t(size_.width()) * 5];
        for (std::size_t i = 0; i < count; ++i) {
            std::uint64_t* cell = row + ((x + i) / reduction_) * 5;
            for (int c = 0; c < 4; ++c)
                cell[c] += rgba[i * 4 + c];
            ++cell[4];
        }
    }

    std::size_t reduction_;
    QSize size_;
    std::vector<std::uint64_t> sums_; // red, green, blue, alpha and the count, per pixel
    std::mutex mutex_;
};

} // namespace

Picture readJxl(const QByteArray& bytes, QSize hint, bool factsOnly) {
    const std::unique_ptr<JxlDecoder, DecoderDeleter> decoder(JxlDecoderCreate(nullptr));
    const std::unique_ptr<void, RunnerDeleter> runner(JxlThreadParallelRunnerCreate(
        nullptr, std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4)));
    if (!decoder || !runner)
        return failure(QStringLiteral("out of memory"));
    JxlDecoder* dec = decoder.get();
    if (JxlDecoderSetParallelRunner(dec, JxlThreadParallelRunner, runner.get()) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSubscribeEvents(dec, JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(dec, reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                           std::size_t(bytes.size())) != JXL_DEC_SUCCESS)
        return failure(QStringLiteral("unreadable JPEG XL file"));
    JxlDecoderCloseInput(dec);

    const JxlPixelFormat format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    JxlBasicInfo info{};
    QSize upright;
    int bits = 0;
    QImage image;
    std::unique_ptr<BoxShrink> shrink;
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(dec);
        if (status == JXL_DEC_BASIC_INFO) {
            if (JxlDecoderGetBasicInfo(dec, &info) != JXL_DEC_SUCCESS)
                return failure(QStringLiteral("unreadable JPEG XL file"));
            if (!sizeAcceptable(info.xsize, info.ysize))
                return failure(QStringLiteral("picture too large"));
            // The sizes are those before the orientation, which libjxl applies.
            upright = info.orientation >= JXL_ORIENT_TRANSPOSE
                          ? QSize(int(info.ysize), int(info.xsize))
                          : QSize(int(info.xsize), int(info.ysize));
            bits = int(info.bits_per_sample) *
                   int(info.num_color_channels + (info.alpha_bits > 0 ? 1 : 0));
            if (factsOnly)
                return factsOnlyPicture(upright, bits);
            // libjxl's own frame buffers, and the picture when it is decoded whole.
            const int reduction = reductionFor(upright, hint);
            if (!fitsBudget(upright.width(), upright.height(), reduction >= 2 ? 12 : 16,
                            decodeBudget()))
                return failure(QStringLiteral("picture too large"));
        } else if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
            const int reduction = reductionFor(upright, hint);
            if (reduction >= 2) {
                shrink = std::make_unique<BoxShrink>(upright, reduction);
                if (JxlDecoderSetImageOutCallback(dec, &format, &BoxShrink::take, shrink.get()) !=
                    JXL_DEC_SUCCESS)
                    return failure(QStringLiteral("unreadable JPEG XL file"));
            } else {
                image = QImage(upright, QImage::Format_RGBA8888);
                std::size_t needed = 0;
                if (image.isNull() ||
                    JxlDecoderImageOutBufferSize(dec, &format, &needed) != JXL_DEC_SUCCESS ||
                    needed != std::size_t(image.sizeInBytes()) ||
                    JxlDecoderSetImageOutBuffer(dec, &format, image.bits(), needed) !=
                        JXL_DEC_SUCCESS)
                    return failure(QStringLiteral("unreadable JPEG XL file"));
            }
        } else if (status == JXL_DEC_FULL_IMAGE) {
            break; // the first frame is enough
        } else {
            // An error, or input that ended before the picture did.
            return failure(QStringLiteral("unreadable JPEG XL file"));
        }
    }
    if (shrink)
        image = shrink->image();
    const bool alpha = info.alpha_bits > 0;
    image = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return finishReduced(std::move(image), upright, bits, hint);
}

} // namespace decoders
