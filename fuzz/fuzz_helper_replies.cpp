// Fuzz target: the program's side of a decoder helper's reply. The input is a reply as a
// compromised helper might send it, one byte of choices, then the contents of the memfd that
// comes with it; whatever it holds, the picture made of it must lie inside the memfd.
#include "components/decoders/helper_client.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Reads every byte a picture's rows claim (all rows of a small one, the first and last of a
// large one), and converts a small one as the image box would.
void touch(const QImage& image) {
    const std::size_t rowBytes = (std::size_t(image.width()) * std::size_t(image.depth()) + 7) / 8;
    const bool small = image.sizeInBytes() <= (1 << 20);
    unsigned sum = 0;
    for (int y = 0; y < image.height();
         y = small || y + 1 == image.height() ? y + 1 : image.height() - 1) {
        const uchar* row = image.constScanLine(y);
        for (std::size_t x = 0; x < rowBytes; ++x)
            sum += row[x];
    }
    if (small && !image.convertToFormat(QImage::Format_ARGB32).isNull())
        sum += image.pixel(image.width() - 1, image.height() - 1);
    volatile unsigned keep = sum;
    (void)keep;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    decoders::helper::Reply reply;
    std::memset(&reply, 0, sizeof reply);
    std::memcpy(&reply, data, std::min(size, sizeof reply));
    const std::uint8_t* rest = data + std::min(size, sizeof reply);
    std::size_t restSize = size - std::min(size, sizeof reply);
    // Choices: bit 0 sends no memfd, bit 1 leaves it unsealed, the bits above grow it (sparse)
    // by a power of two, as far as 2 GiB past its contents.
    const std::uint8_t choices = restSize > 0 ? rest[0] : 0;
    if (restSize > 0) {
        ++rest;
        --restSize;
    }
    int memfd = -1;
    if (!(choices & 1)) {
        memfd = ::memfd_create("fuzz-reply", MFD_CLOEXEC | MFD_ALLOW_SEALING);
        if (memfd < 0)
            return 0;
        if (restSize > 0 && ::write(memfd, rest, restSize) != ssize_t(restSize))
            __builtin_trap();
        const int grow = choices >> 2;
        if (grow > 0 && ::ftruncate(memfd, off_t(restSize) + (off_t(1) << std::min(grow, 31))) != 0)
            __builtin_trap();
        if (!(choices & 2))
            ::fcntl(memfd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL);
    }
    const decoders::Picture p = decoders::pictureFromReply(reply, memfd);
    // A failure has no pixels; a success has a size, and pixels when a memfd came.
    if (!p.error.isEmpty() && !p.image.isNull())
        __builtin_trap();
    if (p.error.isEmpty() && (p.width <= 0 || p.height <= 0))
        __builtin_trap();
    if (!p.image.isNull())
        touch(p.image);
    return 0;
}
