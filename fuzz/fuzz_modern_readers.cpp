// Fuzz target: the modern decoder helper's entry (the function its service calls for each
// request), reaching libwebp, libheif, libavif, libjxl, LibRaw, Qt SVG and Qt's icon and netpbm
// readers through it. The first byte picks the format.
#include "helper_entry.h"

namespace {

using decoders::Format;

constexpr Format kFormats[] = {
    Format::Ico,  Format::Pnm, Format::WebP, Format::Heif,
    Format::Avif, Format::Jxl, Format::Svg,  Format::Raw,
};

} // namespace

GLIMRA_HELPER_FUZZ_TARGET(kFormats)
