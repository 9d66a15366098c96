#include "components/decoders/png_reader.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <png.h>
#include <vector>

namespace decoders {

namespace {

struct Job {
    png_structp png = nullptr;
    png_infop info = nullptr;
    QImage image;
    std::vector<std::uint8_t> row;   // one decoded row
    std::vector<std::uint32_t> sums; // per output pixel and channel, for the current band
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitsPerPixel = 0;
    bool refused = false;
    char message[200] = {};
};

void onError(png_structp png, png_const_charp text) {
    auto* job = static_cast<Job*>(png_get_error_ptr(png));
    std::strncpy(job->message, text, sizeof job->message - 1);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Adds one decoded row of c-channel pixels into the sums of its output pixels.
template <int c> void accumulate(Job& job, int r) {
    const std::uint8_t* p = job.row.data();
    const int w = int(job.width);
    std::uint32_t* s = job.sums.data();
    for (int x0 = 0; x0 < w; x0 += r, s += c) {
        const int end = std::min(w, x0 + r);
        for (int x = x0; x < end; ++x, p += c)
            for (int k = 0; k < c; ++k)
                s[k] += p[k];
    }
}

// Averages the sums of a band of rows into one output row and clears them. The channels are
// grey (c = 1), red green blue (c = 3) or blue green red alpha (c = 4).
template <int c> void emitBand(Job& job, int r, int outRow, int bandRows) {
    const int outWidth = job.image.width();
    auto* out = reinterpret_cast<QRgb*>(job.image.scanLine(outRow));
    for (int x = 0; x < outWidth; ++x) {
        const int columns = std::min<int>(r, int(job.width) - x * r);
        const std::uint32_t n = std::uint32_t(columns * bandRows);
        const std::uint32_t* s = &job.sums[std::size_t(x) * c];
        if constexpr (c == 1)
            out[x] = qRgb(int(s[0] / n), int(s[0] / n), int(s[0] / n));
        else if constexpr (c == 3)
            out[x] = qRgb(int(s[0] / n), int(s[1] / n), int(s[2] / n));
        else
            out[x] = qRgba(int(s[2] / n), int(s[1] / n), int(s[0] / n), int(s[3] / n));
    }
    std::fill(job.sums.begin(), job.sums.end(), 0u);
}

template <int c> void readShrinking(Job& job, int r) {
    const int h = int(job.height);
    job.row.resize(std::size_t(job.width) * c);
    job.sums.assign(std::size_t(job.image.width()) * c, 0u);
    for (int y = 0; y < h; ++y) {
        png_read_row(job.png, job.row.data(), nullptr);
        accumulate<c>(job, r);
        if ((y + 1) % r == 0 || y + 1 == h)
            emitBand<c>(job, r, y / r, y % r + 1);
    }
}

bool decode(Job& job, std::FILE* file, QSize hint) {
    if (setjmp(png_jmpbuf(job.png)))
        return false;
    png_init_io(job.png, file);
    png_set_user_limits(job.png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(job.png, job.info);
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(job.png, job.info, &job.width, &job.height, &depth, &colorType, &interlace,
                 nullptr, nullptr);
    const int channels = png_get_channels(job.png, job.info);
    job.bitsPerPixel = depth * channels;
    if (!sizeAcceptable(job.width, job.height)) {
        job.refused = true;
        return false;
    }
    const int w = int(job.width), h = int(job.height);
    // An interlaced picture arrives in passes over the whole picture, so it is decoded whole.
    const bool interlaced = interlace != PNG_INTERLACE_NONE;
    const int r = interlaced ? 1 : reductionFor(QSize(w, h), hint);
    const bool transparent =
        (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(job.png, job.info, PNG_INFO_tRNS);
    // Shrinking 8-bit grey or colour without transparency reads the rows as stored; everything
    // else becomes 8-bit BGRA, the byte order of QImage's 32-bit formats.
    const int stored = r > 1 && depth == 8 && !transparent ? (colorType == PNG_COLOR_TYPE_GRAY  ? 1
                                                              : colorType == PNG_COLOR_TYPE_RGB ? 3
                                                                                                : 0)
                                                           : 0;
    if (stored == 0) {
        png_set_expand(job.png);
        png_set_strip_16(job.png);
        png_set_gray_to_rgb(job.png);
        png_set_bgr(job.png);
        png_set_filler(job.png, 0xFF, PNG_FILLER_AFTER);
    }
    const int passes = interlaced ? png_set_interlace_handling(job.png) : 1;
    png_read_update_info(job.png, job.info);

    job.image = QImage((w + r - 1) / r, (h + r - 1) / r,
                       transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (job.image.isNull()) {
        job.refused = true;
        return false;
    }
    if (r == 1) {
        for (int pass = 0; pass < passes; ++pass)
            for (int y = 0; y < h; ++y)
                png_read_row(job.png, job.image.scanLine(y), nullptr);
    } else if (stored == 1) {
        readShrinking<1>(job, r);
    } else if (stored == 3) {
        readShrinking<3>(job, r);
    } else {
        readShrinking<4>(job, r);
    }
    png_read_end(job.png, nullptr);
    return true;
}

} // namespace

Picture readPng(std::FILE* file, QSize hint) {
    Job job;
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, onError, onWarning);
    if (!job.png)
        return failure(QStringLiteral("out of memory"));
    job.info = png_create_info_struct(job.png);
    const bool ok = job.info && decode(job, file, hint);
    png_destroy_read_struct(&job.png, &job.info, nullptr);
    if (job.refused)
        return failure(QStringLiteral("picture too large"));
    if (!ok)
        return failure(QString::fromLatin1(job.message));
    Picture p;
    p.image = std::move(job.image);
    p.width = int(job.width);
    p.height = int(job.height);
    p.bitsPerPixel = job.bitsPerPixel;
    return p;
}

} // namespace decoders
