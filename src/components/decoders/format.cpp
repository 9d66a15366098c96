#include "components/decoders/format.h"

#include <cstring>

namespace decoders {

namespace {

bool startsWith(const QByteArray& head, const char* magic, int length, int at = 0) {
    return head.size() >= at + length && std::memcmp(head.constData() + at, magic, length) == 0;
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
        {"tga", Format::Tga},
    };
    for (const auto& row : table)
        if (ext == row.ext)
            return row.format;
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
    if (signed_ != Format::Unknown)
        return signed_;
    // ".rle" is both Windows' run-length bitmap (signed "BM") and Utah RLE (signed above); an
    // unsigned ".rle" is neither.
    const QByteArray ext = extensionOf(name);
    const Format named = byExtension(ext);
    if (named == Format::Bmp && ext == "rle")
        return Format::Unknown;
    return named;
}

} // namespace decoders
