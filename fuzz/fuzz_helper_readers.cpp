// Fuzz target: the decoder helper's entry (the function its service calls for each request),
// reaching GraphicsMagick's readers and our own through it. The first byte picks the format.
#include "helper_entry.h"

namespace {

using decoders::Format;

constexpr Format kFormats[] = {
    Format::Gif,  Format::Bmp,     Format::Tiff, Format::Wmf,       Format::Wpg,      Format::Art,
    Format::Cut,  Format::GemImg,  Format::Hrz,  Format::Ilbm,      Format::MacPaint, Format::Msp,
    Format::Pcx,  Format::PcPaint, Format::Pict, Format::SunRaster, Format::UtahRle,  Format::Tga,
    Format::Jpeg, // the progressive files too large for the program
};

} // namespace

GLIMRA_HELPER_FUZZ_TARGET(kFormats)
