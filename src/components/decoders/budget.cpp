#include "components/decoders/budget.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <unistd.h>

namespace decoders {

namespace {

constexpr std::int64_t kGiB = std::int64_t(1) << 30;
constexpr double kDefaultSeconds = 10;

// The request's budget in a decoder helper (memory 0: none, the environment's applies).
std::atomic<std::int64_t> requestMemory{0};
std::atomic<double> requestSeconds{0};

} // namespace

std::int64_t parseMemoryAmount(const char* text) {
    if (!text || !*text)
        return 0;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (errno != 0 || end == text || !(value > 0))
        return 0;
    double scale = 1;
    switch (*end) {
    case 'k':
    case 'K':
        scale = 1024.0, ++end;
        break;
    case 'm':
    case 'M':
        scale = 1024.0 * 1024, ++end;
        break;
    case 'g':
    case 'G':
        scale = double(kGiB), ++end;
        break;
    default:
        break;
    }
    if (*end == 'i' || *end == 'B') // "MiB", "MB"
        ++end;
    if (*end == 'B')
        ++end;
    if (*end != 0)
        return 0;
    const double bytes = value * scale;
    return bytes >= 1 && bytes < 9e18 ? std::int64_t(bytes) : 0;
}

void useRequestBudget(const Budget& budget) {
    requestSeconds = budget.seconds;
    requestMemory = budget.memoryBytes > 0 ? budget.memoryBytes : 0;
}

Budget decodeBudget() {
    if (const std::int64_t memory = requestMemory; memory > 0) {
        const double seconds = requestSeconds;
        return Budget{memory, seconds > 0 && seconds < 1e6 ? seconds : kDefaultSeconds};
    }
    Budget b;
    b.memoryBytes = parseMemoryAmount(std::getenv("GLIMRA_DECODE_MEMORY"));
    if (b.memoryBytes == 0) {
        const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
        const std::int64_t physical =
            pages > 0 && pageSize > 0 ? std::int64_t(pages) * pageSize : 0;
        b.memoryBytes = std::max(kGiB, physical / 4);
    }
    b.seconds = kDefaultSeconds;
    if (const char* text = std::getenv("GLIMRA_DECODE_SECONDS")) {
        char* end = nullptr;
        const double s = std::strtod(text, &end);
        if (end != text && *end == 0 && s > 0 && s < 1e6)
            b.seconds = s;
    }
    return b;
}

DecodeWatch::DecodeWatch(const DecodeOptions& options, const Budget& budget)
    : options_(options), limitMs_(budget.seconds * 1000) {
    timer_.start();
}

bool DecodeWatch::expired() {
    if (options_.cancel && options_.cancel->load(std::memory_order_relaxed))
        return true;
    const std::int64_t ms = timer_.elapsed();
    if (!toldSlow_ && ms >= kSlowDecodeMs) {
        toldSlow_ = true;
        if (options_.onSlow)
            options_.onSlow();
    }
    return double(ms) > limitMs_;
}

bool fitsBudget(std::int64_t width, std::int64_t height, double bytesPerPixel,
                const Budget& budget) {
    return width > 0 && height > 0 &&
           double(width) * double(height) * bytesPerPixel <= double(budget.memoryBytes);
}

} // namespace decoders
