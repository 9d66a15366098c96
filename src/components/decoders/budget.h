// The memory and time every decode may use, and the watch an in-process decoder keeps on them.
// One budget covers all decodes: a picture that would need more memory is refused before its
// pixels are allocated, and a decode that runs longer is abandoned.
#pragma once

#include <QElapsedTimer>
#include <QSize>
#include <atomic>
#include <cstdint>
#include <functional>

namespace decoders {

struct Budget {
    std::int64_t memoryBytes = 0;
    double seconds = 0;
};

// The budget in force: GLIMRA_DECODE_MEMORY (bytes, or with a K, M or G suffix) and
// GLIMRA_DECODE_SECONDS when set and valid, else a quarter of physical memory (at least 1 GiB)
// and 10 seconds. Read anew on each call, so tests can change it. In a decoder helper, the
// budget of the request being served (see useRequestBudget).
Budget decodeBudget();

// For the decoder helper: every decode from now on runs under this budget, the one the program
// sent with the request, not the one of the environment the helper was started with (the
// program's may have changed since). A budget without memory returns to the environment's.
void useRequestBudget(const Budget& budget);

// Parses a memory amount such as "1073741824", "512M" or "2G"; 0 when it is not one.
std::int64_t parseMemoryAmount(const char* text);

// After this long a decode counts as slow: the caller is told once, and shows the hourglass.
constexpr int kSlowDecodeMs = 300;

// What a caller gives every decode besides the file.
struct DecodeOptions {
    // The box the picture will be shown in when smaller pixels suffice (the preview); an empty
    // hint decodes at full size.
    QSize hint;
    // Set from any thread to abandon the decode; it then fails as unreadable.
    const std::atomic<bool>* cancel = nullptr;
    // Called once, on the decoding thread, when the decode has run kSlowDecodeMs.
    std::function<void()> onSlow;
};

// The clock of one in-process decode: readers call expired() between rows or scans and give up
// when it holds (time budget spent, or cancelled).
class DecodeWatch {
public:
    DecodeWatch(const DecodeOptions& options, const Budget& budget);
    bool expired();
    std::int64_t elapsedMs() const { return timer_.elapsed(); }

private:
    const DecodeOptions& options_;
    double limitMs_;
    QElapsedTimer timer_;
    bool toldSlow_ = false;
};

// Whether a picture of width x height at bytesPerPixel fits the memory budget.
bool fitsBudget(std::int64_t width, std::int64_t height, double bytesPerPixel,
                const Budget& budget);

} // namespace decoders
