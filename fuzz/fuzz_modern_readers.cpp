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

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::startHelper(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::readAsHelper(kFormats, data, size);
}
