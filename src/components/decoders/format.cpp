#include "components/decoders/format.h"

#include "components/decoders/file_types.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace decoders {

namespace {

bool startsWith(const QByteArray& head, const char* magic, int length, int at = 0) {
    return head.size() >= at + length && std::memcmp(head.constData() + at, magic, length) == 0;
}

// The ISO base media file brands: HEIF's, AVIF's and Canon's CR3 (read as RAW). A file whose
// major brand is the generic "mif1" is AVIF when AVIF is among its compatible brands.
Format byBrand(const QByteArray& h) {
    const QByteArray major = h.mid(8, 4);
    if (major == "avif" || major == "avis")
        return Format::Avif;
    if (major == "crx ")
        return Format::Raw;
    static const char* const heif[] = {"heic", "heix", "hevc", "hevx",
                                       "heim", "heis", "mif1", "msf1"};
    bool isHeif = false;
    for (const char* brand : heif)
        isHeif = isHeif || major == brand;
    if (!isHeif)
        return Format::Unknown;
    const qsizetype boxEnd =
        std::min<qsizetype>(h.size(), (std::uint8_t(h[2]) << 8) | std::uint8_t(h[3]));
    for (qsizetype at = 16; at + 4 <= boxEnd; at += 4)
        if (h.mid(at, 4) == "avif")
            return Format::Avif;
    return Format::Heif;
}

Format bySignature(const QByteArray& h) {
    if (startsWith(h, "\xFF\xD8\xFF", 3))
        return Format::Jpeg;
    if (startsWith(h, "\x89PNG\r\n\x1A\n", 8))
        return Format::Png;
    if (startsWith(h, "GIF87a", 6) || startsWith(h, "GIF89a", 6))
        return Format::Gif;
    if (startsWith(h, "BM", 2) && h.size() >= 18)
        return Format::Bmp;
    if (startsWith(h, "II*\0", 4) || startsWith(h, "MM\0*", 4))
        return Format::Tiff;
    if (startsWith(h, "\xD7\xCD\xC6\x9A", 4))
        return Format::Wmf;
    if (startsWith(h, "\x01\0\0\0", 4) && startsWith(h, " EMF", 4, 40))
        return Format::Emf;
    if (startsWith(h, "\xFFWPC", 4))
        return Format::Wpg;
    if (startsWith(h, "FORM", 4) && (startsWith(h, "ILBM", 4, 8) || startsWith(h, "PBM ", 4, 8)))
        return Format::Ilbm;
    if (startsWith(h, "DanM", 4) || startsWith(h, "LinS", 4))
        return Format::Msp;
    if (startsWith(h, "\x34\x12", 2) && h.size() >= 12)
        return Format::PcPaint;
    if (startsWith(h, "\x59\xA6\x6A\x95", 4))
        return Format::SunRaster;
    if (startsWith(h, "\x52\xCC", 2))
        return Format::UtahRle;
    if (startsWith(h, "RIFF", 4) && startsWith(h, "WEBP", 4, 8))
        return Format::WebP;
    if (startsWith(h, "ftyp", 4, 4))
        return byBrand(h);
    if (startsWith(h, "\xFF\x0A", 2) || startsWith(h, "\0\0\0\x0CJXL \r\n\x87\n", 12))
        return Format::Jxl;
    if (h.size() >= 3 && h[0] == 'P' && h[1] >= '1' && h[1] <= '6' &&
        (h[2] == ' ' || h[2] == '\t' || h[2] == '\r' || h[2] == '\n'))
        return Format::Pnm;
    // Olympus, Panasonic and Fujifilm RAW; the other makers' files are TIFF by signature.
    if (startsWith(h, "IIRO", 4) || startsWith(h, "IIRS", 4) || startsWith(h, "MMOR", 4) ||
        startsWith(h, "IIU\0", 4) || startsWith(h, "FUJIFILMCCD-RAW", 15))
        return Format::Raw;
    return Format::Unknown;
}

Format byExtension(const QByteArray& ext) {
    static const struct {
        const char* ext;
        Format format;
    } table[] = {
        {"jpg", Format::Jpeg},   {"jpeg", Format::Jpeg},     {"jpe", Format::Jpeg},
        {"png", Format::Png},    {"gif", Format::Gif},       {"bmp", Format::Bmp},
        {"dib", Format::Bmp},    {"rle", Format::Bmp},       {"tif", Format::Tiff},
        {"tiff", Format::Tiff},  {"wmf", Format::Wmf},       {"emf", Format::Emf},
        {"wpg", Format::Wpg},    {"art", Format::Art},       {"cut", Format::Cut},
        {"gem", Format::GemImg}, {"img", Format::GemImg},    {"hrz", Format::Hrz},
        {"iff", Format::Ilbm},   {"lbm", Format::Ilbm},      {"mac", Format::MacPaint},
        {"msp", Format::Msp},    {"pcx", Format::Pcx},       {"pic", Format::Pict},
        {"pict", Format::Pict},  {"ras", Format::SunRaster}, {"sun", Format::SunRaster},
        {"tga", Format::Tga},    {"jfif", Format::Jpeg},     {"webp", Format::WebP},
        {"ico", Format::Ico},    {"pnm", Format::Pnm},       {"pbm", Format::Pnm},
        {"pgm", Format::Pnm},    {"ppm", Format::Pnm},       {"heic", Format::Heif},
        {"heif", Format::Heif},  {"avif", Format::Avif},     {"jxl", Format::Jxl},
        {"svg", Format::Svg},    {"svgz", Format::Svg},      {"dng", Format::Raw},
        {"cr2", Format::Raw},    {"cr3", Format::Raw},       {"nef", Format::Raw},
        {"nrw", Format::Raw},    {"arw", Format::Raw},       {"orf", Format::Raw},
        {"rw2", Format::Raw},    {"raf", Format::Raw},       {"pef", Format::Raw},
        {"srw", Format::Raw},
    };
    for (const auto& row : table)
        if (ext == row.ext)
            return row.format;
    // Sound and video: the picture they may carry.
    for (const FileType& type : kFileTypes) {
        if (ext != type.extension)
            continue;
        if (type.kind == FileKind::Sound)
            return Format::SoundStill;
        if (type.kind == FileKind::Video)
            return Format::VideoStill;
    }
    return Format::Unknown;
}

} // namespace

QByteArray extensionOf(const QByteArray& name) {
    const qsizetype slash = name.lastIndexOf('/');
    const qsizetype dot = name.lastIndexOf('.');
    return dot > slash + 1 ? name.mid(dot + 1).toLower() : QByteArray();
}

Format detectFormat(const QByteArray& head, const QByteArray& name) {
    const Format signed_ = bySignature(head);
    const QByteArray ext = extensionOf(name);
    // Most camera RAW files are TIFF files with the raw data in a sub-picture.
    if (signed_ == Format::Tiff && byExtension(ext) == Format::Raw)
        return Format::Raw;
    if (signed_ != Format::Unknown)
        return signed_;
    // ".rle" is both Windows' run-length bitmap (signed "BM") and Utah RLE (signed above); an
    // unsigned ".rle" is neither.
    const Format named = byExtension(ext);
    if (named == Format::Bmp && ext == "rle")
        return Format::Unknown;
    return named;
}

} // namespace decoders
