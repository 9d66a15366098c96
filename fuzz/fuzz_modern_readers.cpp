// Fuzz target: the modern decoder helper's entry (the function its service calls for each
// request), reaching libwebp, libheif, libavif, libjxl, LibRaw, Qt SVG and Qt's TIFF, icon and
// netpbm readers through it. The first byte picks the format.
#include "components/decoders/routes.h"
#include "decoder_helper/readers.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using decoders::Format;

constexpr Format kFormats[] = {
    Format::Tiff, Format::Ico, Format::Pnm, Format::WebP, Format::Heif,
    Format::Avif, Format::Jxl, Format::Svg, Format::Raw,
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Small budgets, as a hostile folder meets them: refusals, not out-of-memory reports.
    ::setenv("GLIMRA_DECODE_MEMORY", "256M", 1);
    decoder_helper::prepareReaders(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const Format format = kFormats[data[0] % (sizeof kFormats / sizeof kFormats[0])];
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    for (const bool factsOnly : {true, false}) {
        const decoders::Picture p = decoder_helper::readInHelper(
            bytes, format, factsOnly ? QSize() : QSize(16, 16), factsOnly);
        // A picture that loads has a real size; one that fails has none.
        if (p.ok() && (p.width <= 0 || p.height <= 0))
            __builtin_trap();
    }
    return 0;
}
