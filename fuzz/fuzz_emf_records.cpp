// Fuzz target: the EMF record check that guards libemf2svg.
#include "components/decoders/emf_reader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QSize picture = decoders::emfSize(bytes);
    if (picture.isValid() && (picture.width() <= 0 || picture.height() <= 0))
        __builtin_trap();
    return 0;
}
