#include "components/decoders/routes.h"

#include "components/decoders/picture.h"

namespace decoders {

namespace {

// GIF and BMP stay in the program up to 16 megapixels (64 MB as 32-bit pixels): that covers
// every ordinary picture at the speed of Qt's readers; larger claims are read in the helper.
constexpr std::int64_t kQtReaderPixels = 16'000'000;

constexpr FormatRoute kRoutes[] = {
    {Format::Unknown, HelperKind::None, 0},
    // In the program, except progressive files with a huge coefficient buffer (decode.cpp).
    {Format::Jpeg, HelperKind::General, kMaxPixels},
    {Format::Png, HelperKind::None, 0},
    {Format::Gif, HelperKind::General, kQtReaderPixels},
    {Format::Bmp, HelperKind::General, kQtReaderPixels},
    {Format::Tiff, HelperKind::General, 0},
    {Format::Wmf, HelperKind::General, 0},
    {Format::Emf, HelperKind::Emf, 0},
    {Format::Wpg, HelperKind::General, 0},
    {Format::Art, HelperKind::General, 0},
    {Format::Cut, HelperKind::General, 0},
    {Format::GemImg, HelperKind::General, 0},
    {Format::Hrz, HelperKind::General, 0},
    {Format::Ilbm, HelperKind::General, 0},
    {Format::MacPaint, HelperKind::General, 0},
    {Format::Msp, HelperKind::General, 0},
    {Format::Pcx, HelperKind::General, 0},
    {Format::PcPaint, HelperKind::General, 0},
    {Format::Pict, HelperKind::General, 0},
    {Format::SunRaster, HelperKind::General, 0},
    {Format::UtahRle, HelperKind::General, 0},
    {Format::Tga, HelperKind::General, 0},
    {Format::WebP, HelperKind::Modern, 0},
    {Format::Ico, HelperKind::Modern, 0},
    {Format::Pnm, HelperKind::Modern, 0},
    {Format::Heif, HelperKind::Modern, 0},
    {Format::Avif, HelperKind::Modern, 0},
    {Format::Jxl, HelperKind::Modern, 0},
    {Format::Svg, HelperKind::Modern, 0},
    {Format::Raw, HelperKind::Modern, 0},
    // Sound and video give their pictures through GStreamer in the program, in a pipeline with
    // a time limit of its own (see media_still.h): the player opens the same file in the
    // program anyway.
    {Format::SoundStill, HelperKind::None, 0},
    {Format::VideoStill, HelperKind::None, 0},
};

} // namespace

const FormatRoute& routeOf(Format format) {
    for (const FormatRoute& row : kRoutes)
        if (row.format == format)
            return row;
    return kRoutes[0];
}

const char* helperProgramName(HelperKind kind) {
    switch (kind) {
    case HelperKind::General:
        return "glimra-decoder";
    case HelperKind::Emf:
        return "glimra-decoder-emf";
    case HelperKind::Modern:
        return "glimra-decoder-modern";
    default:
        return "";
    }
}

} // namespace decoders
