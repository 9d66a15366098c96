#include "components/decoders/jpeg_reader.h"

#include "components/decoders/tiff_tags.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstring>
#include <jerror.h>
#include <jpeglib.h>

namespace decoders {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool truncated;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void onError(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr info, int level) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    // A file that ends early is decoded as grey by libjpeg; it counts as unreadable here.
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        err->truncated = true;
}

// Called by libjpeg between passes and every few rows: stops a decode that has too many scans,
// or has run out of time.
struct Progress {
    jpeg_progress_mgr base;
    DecodeWatch* watch;
    bool expired;
    bool tooManyScans;
};

void onProgress(j_common_ptr common) {
    auto* progress = reinterpret_cast<Progress*>(common->progress);
    if (!common->is_decompressor)
        return;
    auto* info = reinterpret_cast<j_decompress_ptr>(common);
    if (info->input_scan_number > kMaxScans ||
        double(info->input_scan_number) * info->image_width * info->image_height > kMaxScanPixels) {
        progress->tooManyScans = true;
        ERREXIT(common, JERR_NOT_COMPILED);
    }
    if (progress->watch->expired()) {
        progress->expired = true;
        ERREXIT(common, JERR_NOT_COMPILED);
    }
}

// Everything libjpeg may jump out of lives in this job, so the decoding function below holds
// no object with a destructor while a jump can happen.
struct Job {
    jpeg_decompress_struct info;
    ErrorManager err;
    Progress progress;
    Budget budget;
    bool factsOnly = false;
    QImage image;
    QByteArray exif;
    int components = 0;
    int fullWidth = 0;
    int fullHeight = 0;
    std::int64_t coefficientBytes = 0;
    bool refused = false;
};

bool decode(Job& job, std::FILE* file, QSize hint) {
    jpeg_decompress_struct& info = job.info;
    info.err = jpeg_std_error(&job.err.base);
    job.err.base.error_exit = onError;
    job.err.base.emit_message = onMessage;
    job.err.truncated = false;
    job.err.message[0] = 0;
    if (setjmp(job.err.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    info.progress = &job.progress.base;
    // libjpeg-turbo refuses (JERR_NO_BACKING_STORE) rather than exceed this.
    info.mem->max_memory_to_use = long(std::min<std::int64_t>(job.budget.memoryBytes, LONG_MAX));
    jpeg_stdio_src(&info, file);
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 &&
            std::memcmp(m->data, "Exif\0\0", 6) == 0 && job.exif.isEmpty())
            job.exif = QByteArray(reinterpret_cast<const char*>(m->data), m->data_length);
    job.fullWidth = int(info.image_width);
    job.fullHeight = int(info.image_height);
    job.components = info.num_components;
    if (!sizeAcceptable(info.image_width, info.image_height)) {
        job.refused = true;
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (jpeg_has_multiple_scans(&info)) {
        // 64 coefficients of 2 bytes per 8 x 8 block of each component, at its sampling.
        int maxH = 1, maxV = 1;
        for (int c = 0; c < info.num_components; ++c) {
            maxH = std::max(maxH, info.comp_info[c].h_samp_factor);
            maxV = std::max(maxV, info.comp_info[c].v_samp_factor);
        }
        for (int c = 0; c < info.num_components; ++c) {
            const std::int64_t w =
                (std::int64_t(info.image_width) * info.comp_info[c].h_samp_factor / maxH + 7) / 8;
            const std::int64_t h =
                (std::int64_t(info.image_height) * info.comp_info[c].v_samp_factor / maxV + 7) / 8;
            job.coefficientBytes += w * h * 128;
        }
    }
    if (job.factsOnly) {
        jpeg_destroy_decompress(&info);
        return true;
    }
    // The hint box is for the upright picture; a quarter turn swaps the sides it must fill.
    const int r = reductionFor(QSize(job.fullWidth, job.fullHeight),
                               swapsSides(exifOrientation(job.exif)) ? hint.transposed() : hint);
    info.scale_num = 1;
    info.scale_denom = r >= 8 ? 8 : r >= 4 ? 4 : r >= 2 ? 2 : 1;
    info.dct_method = JDCT_ISLOW;
    // A reduced picture is shrunk again for the box, so plain chroma upsampling is enough.
    if (info.scale_denom > 1)
        info.do_fancy_upsampling = FALSE;
    QImage::Format format = QImage::Format_RGB32;
    if (info.jpeg_color_space == JCS_GRAYSCALE) {
        info.out_color_space = JCS_GRAYSCALE;
        format = QImage::Format_Grayscale8;
    } else if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        info.out_color_space = JCS_CMYK;
    } else {
        info.out_color_space = JCS_EXT_BGRX;
    }
    jpeg_calc_output_dimensions(&info);
    if (!fitsBudget(info.output_width, info.output_height, 4, job.budget)) {
        job.refused = true;
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    job.image = QImage(int(info.output_width), int(info.output_height), format);
    if (job.image.isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = job.image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
        if (info.out_color_space == JCS_CMYK) {
            // Adobe writes CMYK inverted; in place, C M Y K become B G R 0xFF.
            std::uint8_t* p = row;
            for (JDIMENSION x = 0; x < info.output_width; ++x, p += 4) {
                const unsigned c = p[0], m = p[1], y = p[2], k = p[3];
                p[0] = std::uint8_t(y * k / 255);
                p[1] = std::uint8_t(m * k / 255);
                p[2] = std::uint8_t(c * k / 255);
                p[3] = 0xFF;
            }
        }
        if (job.err.truncated)
            break;
    }
    if (!job.err.truncated)
        jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return !job.err.truncated;
}

} // namespace

Picture readJpeg(std::FILE* file, const DecodeOptions& options, bool factsOnly,
                 std::int64_t* coefficientBytes) {
    Job job;
    std::memset(&job.info, 0, sizeof job.info);
    job.budget = decodeBudget();
    job.factsOnly = factsOnly;
    DecodeWatch watch(options, job.budget);
    job.progress = Progress{{onProgress, 0, 0, 0, 0}, &watch, false, false};
    const bool ok = decode(job, file, options.hint);
    if (coefficientBytes)
        *coefficientBytes = job.coefficientBytes;
    if (job.refused)
        return failure(QStringLiteral("picture too large"));
    if (job.progress.tooManyScans)
        return failure(QStringLiteral("too many scans"));
    if (job.progress.expired)
        return failure(QStringLiteral("decoding took too long"));
    if (!ok)
        return failure(QString::fromLatin1(job.err.message));
    const int orientation = exifOrientation(job.exif);
    const bool quarterTurn = orientation >= 5;
    Picture p;
    if (!factsOnly)
        p.image = applyOrientation(job.image, orientation);
    p.width = quarterTurn ? job.fullHeight : job.fullWidth;
    p.height = quarterTurn ? job.fullWidth : job.fullHeight;
    p.bitsPerPixel = 8 * job.components;
    return p;
}

} // namespace decoders
