#include "components/decoders/png_reader.h"

#include "components/decoders/tiff_tags.h"

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
    std::vector<std::uint8_t> row;     // one decoded row
    std::vector<std::uint32_t> sums;   // per output pixel and channel, for the current band
    std::vector<std::uint32_t> counts; // per output pixel of an interlaced picture
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitsPerPixel = 0;
    QByteArray exif; // the first eXIf chunk before the pixels
    bool pixelsBegun = false;
    bool refused = false;
    bool expired = false;
    bool factsOnly = false;
    Budget budget;
    DecodeWatch* watch = nullptr;
    char message[200] = {};
};

void onError(png_structp png, png_const_charp text) {
    auto* job = static_cast<Job*>(png_get_error_ptr(png));
    std::strncpy(job->message, text, sizeof job->message - 1);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// libpng hands eXIf here rather than reading it itself: it refuses a block that starts with
// "Exif\0\0", as some writers put it. Only a chunk before the pixels counts, so the facts read
// from the header agree with the decode; one after them is passed over.
int onChunk(png_structp png, png_unknown_chunkp chunk) {
    auto* job = static_cast<Job*>(png_get_user_chunk_ptr(png));
    if (std::memcmp(chunk->name, "eXIf", 4) != 0)
        return 0;
    if (!job->pixelsBegun && job->exif.isEmpty())
        job->exif = QByteArray(reinterpret_cast<const char*>(chunk->data), qsizetype(chunk->size));
    return 1;
}

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

// Gives up (through libpng's error jump) when the time budget is spent.
void checkTime(Job& job) {
    if (job.watch->expired()) {
        job.expired = true;
        png_error(job.png, "decoding took too long");
    }
}

template <int c> void readShrinking(Job& job, int r) {
    const int h = int(job.height);
    job.row.resize(std::size_t(job.width) * c);
    job.sums.assign(std::size_t(job.image.width()) * c, 0u);
    for (int y = 0; y < h; ++y) {
        if (y % 64 == 0)
            checkTime(job);
        png_read_row(job.png, job.row.data(), nullptr);
        accumulate<c>(job, r);
        if ((y + 1) % r == 0 || y + 1 == h)
            emitBand<c>(job, r, y / r, y % r + 1);
    }
}

// How many of the seven passes a preview of an interlaced picture reduced by r reads. The
// first passes hold 1/64, 1/32, 1/16, 1/8, 1/4 and 1/2 of the pixels, spread evenly. A picture
// of up to 16 megapixels is read whole; of a larger one, the last passes are left out while
// what is read stays over 16 megapixels and every output pixel still gets 16 of its pixels
// (a 64-megapixel picture is read from a quarter of its pixels, in a quarter of the time).
int passesFor(std::int64_t pixels, int r) {
    constexpr std::int64_t kEnoughPixels = 16ll << 20;
    constexpr std::int64_t kSamplesPerPixel = 16;
    const std::int64_t blockPixels = std::int64_t(r) * r;
    int passes = 7;
    // After n passes, 1 / 2^(7 - n) of the pixels have come.
    while (passes > 1 && (pixels >> (7 - passes)) > kEnoughPixels &&
           (blockPixels >> (8 - passes)) >= kSamplesPerPixel)
        --passes;
    return passes;
}

// An interlaced picture reduced by r: each pass delivers a sparse grid of the picture's pixels
// (as BGRA); each pixel is added into the output pixel it falls in, and the output is the
// average of what arrived there. Returns whether all seven passes were read.
bool readInterlacedShrinking(Job& job, int r) {
    const int outWidth = job.image.width(), outHeight = job.image.height();
    // In the job: libpng's error jump skips this function's destructors.
    std::vector<std::uint32_t>& sums = job.sums;
    std::vector<std::uint32_t>& counts = job.counts;
    sums.assign(std::size_t(outWidth) * std::size_t(outHeight) * 4, 0u);
    counts.assign(std::size_t(outWidth) * std::size_t(outHeight), 0u);
    job.row.resize(std::size_t(job.width) * 4);
    const int passes = passesFor(std::int64_t(job.width) * job.height, r);
    for (int pass = 0; pass < passes; ++pass) {
        const png_uint_32 columns = PNG_PASS_COLS(job.width, pass);
        const png_uint_32 rows = PNG_PASS_ROWS(job.height, pass);
        if (columns == 0 || rows == 0)
            continue;
        for (png_uint_32 j = 0; j < rows; ++j) {
            if (j % 64 == 0)
                checkTime(job);
            png_read_row(job.png, job.row.data(), nullptr);
            const int y = int(PNG_ROW_FROM_PASS_ROW(j, pass)) / r;
            const std::uint8_t* p = job.row.data();
            for (png_uint_32 i = 0; i < columns; ++i, p += 4) {
                const std::size_t at =
                    std::size_t(y) * std::size_t(outWidth) + PNG_COL_FROM_PASS_COL(i, pass) / r;
                std::uint32_t* s = &sums[at * 4];
                s[0] += p[0], s[1] += p[1], s[2] += p[2], s[3] += p[3];
                ++counts[at];
            }
        }
    }
    for (int y = 0; y < outHeight; ++y) {
        auto* out = reinterpret_cast<QRgb*>(job.image.scanLine(y));
        for (int x = 0; x < outWidth; ++x) {
            const std::size_t at = std::size_t(y) * std::size_t(outWidth) + std::size_t(x);
            const std::uint32_t n = std::max(1u, counts[at]);
            const std::uint32_t* s = &sums[at * 4];
            out[x] = qRgba(int(s[2] / n), int(s[1] / n), int(s[0] / n), int(s[3] / n));
        }
    }
    return passes == 7;
}

bool decode(Job& job, std::FILE* file, QSize hint) {
    if (setjmp(png_jmpbuf(job.png)))
        return false;
    png_init_io(job.png, file);
    png_set_user_limits(job.png, 0x7FFFFFFF, 0x7FFFFFFF);
    static const png_byte exifName[] = "eXIf";
    png_set_keep_unknown_chunks(job.png, PNG_HANDLE_CHUNK_ALWAYS, exifName, 1);
    png_set_read_user_chunk_fn(job.png, &job, onChunk);
    png_read_info(job.png, job.info);
    job.pixelsBegun = true;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(job.png, job.info, &job.width, &job.height, &depth, &colorType, &interlace,
                 nullptr, nullptr);
    const int channels = png_get_channels(job.png, job.info);
    job.bitsPerPixel = depth * channels;
    if (!sizeAcceptable(job.width, job.height)) {
        job.refused = true;
        return false;
    }
    if (job.factsOnly)
        return true;
    const int w = int(job.width), h = int(job.height);
    const bool interlaced = interlace != PNG_INTERLACE_NONE;
    // The hint box is for the upright picture; a quarter turn swaps the sides it must fill.
    // Turning makes a second picture.
    const int orientation = exifOrientation(job.exif);
    const int r = reductionFor(QSize(w, h), swapsSides(orientation) ? hint.transposed() : hint);
    const double bytesPerPixel = (interlaced && r > 1 ? 24 : 4) + (orientation != 1 ? 4 : 0);
    if (!fitsBudget((w + r - 1) / r, (h + r - 1) / r, bytesPerPixel, job.budget)) {
        job.refused = true;
        return false;
    }
    const bool transparent =
        (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(job.png, job.info, PNG_INFO_tRNS);
    // Shrinking 8-bit grey or colour without transparency reads the rows as stored; everything
    // else becomes 8-bit BGRA, the byte order of QImage's 32-bit formats.
    const int stored = r > 1 && !interlaced && depth == 8 && !transparent
                           ? (colorType == PNG_COLOR_TYPE_GRAY  ? 1
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
    // Full size: libpng puts the passes together in the picture itself.
    const int passes = interlaced && r == 1 ? png_set_interlace_handling(job.png) : 1;
    png_read_update_info(job.png, job.info);

    job.image = QImage((w + r - 1) / r, (h + r - 1) / r,
                       transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (job.image.isNull()) {
        job.refused = true;
        return false;
    }
    if (r == 1) {
        for (int pass = 0; pass < passes; ++pass)
            for (int y = 0; y < h; ++y) {
                if (y % 64 == 0)
                    checkTime(job);
                png_read_row(job.png, job.image.scanLine(y), nullptr);
            }
    } else if (interlaced) {
        // The data of the passes left out is never inflated: nothing after it is needed.
        if (!readInterlacedShrinking(job, r))
            return true;
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

Picture readPng(std::FILE* file, const DecodeOptions& options, bool factsOnly) {
    Job job;
    job.budget = decodeBudget();
    job.factsOnly = factsOnly;
    DecodeWatch watch(options, job.budget);
    job.watch = &watch;
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, onError, onWarning);
    if (!job.png)
        return failure(QStringLiteral("out of memory"));
    job.info = png_create_info_struct(job.png);
    const bool ok = job.info && decode(job, file, options.hint);
    png_destroy_read_struct(&job.png, &job.info, nullptr);
    if (job.refused)
        return failure(QStringLiteral("picture too large"));
    if (job.expired)
        return failure(QStringLiteral("decoding took too long"));
    if (!ok)
        return failure(QString::fromLatin1(job.message));
    const int orientation = exifOrientation(job.exif);
    Picture p;
    if (!factsOnly)
        p.image = applyOrientation(job.image, orientation);
    job.image = QImage();
    const bool quarterTurn = swapsSides(orientation);
    p.width = int(quarterTurn ? job.height : job.width);
    p.height = int(quarterTurn ? job.width : job.height);
    p.bitsPerPixel = job.bitsPerPixel;
    return p;
}

} // namespace decoders
