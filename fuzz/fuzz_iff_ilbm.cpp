// Fuzz target: the Ilbm decoder, at full size and with a preview hint.
#include "components/decoders/iff_ilbm.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QSize hint : {QSize(), QSize(16, 16)}) {
        const decoders::Picture p = decoders::readIlbm(bytes, hint);
        // A picture that loads has a real size and pixels; one that fails has neither.
        if (p.ok() != (p.width > 0 && p.height > 0 && !p.image.isNull()))
            __builtin_trap();
    }
    return 0;
}
