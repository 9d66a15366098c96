// What the fuzz targets of the decoder helpers share: the helper's start-up under small
// budgets, and one input read as the helper's service reads a request, facts first, then the
// pixels. The input's first byte picks the format from the target's list.
#pragma once

#include "components/decoders/format.h"
#include "decoder_helper/readers.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The helper's Qt application lives until the process ends, and with it the font cache
// fontconfig keeps: not a leak of a decoder.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace fuzz {

inline void startHelper(int* argc, char*** argv) {
    // Small budgets, as a hostile folder meets them: refusals, not out-of-memory reports.
    ::setenv("GLIMRA_DECODE_MEMORY", "256M", 1);
    decoder_helper::prepareReaders(*argc, *argv);
}

template <std::size_t N>
int readAsHelper(const decoders::Format (&formats)[N], const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const decoders::Format format = formats[data[0] % N];
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

} // namespace fuzz

// Defines the two entry points of a fuzz target that reads the formats of this list.
#define GLIMRA_HELPER_FUZZ_TARGET(formats)                                                         \
    extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {                                 \
        fuzz::startHelper(argc, argv);                                                             \
        return 0;                                                                                  \
    }                                                                                              \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {            \
        return fuzz::readAsHelper(formats, data, size);                                            \
    }
