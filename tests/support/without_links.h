// File systems without hard links, for tests: FAT, exFAT and much of FUSE refuse link(2), and
// some cannot refuse an existing target in a rename. A filter on one thread's system calls
// makes any file system behave so for the code run on that thread.
#pragma once

#include <functional>
#include <optional>

namespace test {

struct Outcome {
    bool ok = false;
    int error = 0; // errno after the call
};

// Runs f on a thread of its own on which link(2) and linkat(2) fail with EPERM and, with
// noRenameFlags, renameat2(2) with any flag fails with EINVAL. nullopt when the filter cannot
// be installed here (the test then skips itself).
std::optional<Outcome> withoutHardLinks(bool noRenameFlags, const std::function<bool()>& f);

} // namespace test
