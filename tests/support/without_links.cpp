#include "without_links.h"

#include <cerrno>
#include <cstddef>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <thread>

namespace test {
namespace {

#if defined(__x86_64__)
constexpr unsigned kArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr unsigned kArch = AUDIT_ARCH_AARCH64;
#else
constexpr unsigned kArch = 0;
#endif

constexpr unsigned kAllow = SECCOMP_RET_ALLOW;
constexpr unsigned kRefuseLink = SECCOMP_RET_ERRNO | (EPERM & SECCOMP_RET_DATA);
constexpr unsigned kRefuseFlags = SECCOMP_RET_ERRNO | (EINVAL & SECCOMP_RET_DATA);

bool installFilter(bool noRenameFlags) {
    if (kArch == 0)
        return false;
    const unsigned nr = offsetof(seccomp_data, nr);
    const unsigned arch = offsetof(seccomp_data, arch);
    // The low word of the fifth argument, renameat2's flags (little-endian).
    const unsigned flags = offsetof(seccomp_data, args) + 4 * sizeof(__u64);
#ifdef __NR_link
    const unsigned linkCall = __NR_link;
#else
    const unsigned linkCall = __NR_linkat;
#endif
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, arch),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, kAllow), // another system call convention
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, nr),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, linkCall, 3, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_linkat, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_renameat2, 2, 0),
        BPF_STMT(BPF_RET | BPF_K, kAllow),
        BPF_STMT(BPF_RET | BPF_K, kRefuseLink),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, flags),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, kAllow),
        BPF_STMT(BPF_RET | BPF_K, noRenameFlags ? kRefuseFlags : kAllow),
    };
    sock_fprog prog{static_cast<unsigned short>(sizeof program / sizeof program[0]), program};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog) == 0;
}

} // namespace

std::optional<Outcome> withoutHardLinks(bool noRenameFlags, const std::function<bool()>& f) {
    std::optional<Outcome> result;
    // Filters stay with the thread that installed them, and go with it.
    std::thread worker([&] {
        if (!installFilter(noRenameFlags))
            return;
        Outcome out;
        errno = 0;
        out.ok = f();
        out.error = errno;
        result = out;
    });
    worker.join();
    return result;
}

} // namespace test
