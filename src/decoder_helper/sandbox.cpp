#include "decoder_helper/sandbox.h"

#include "components/decoders/helper_protocol.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <sched.h>
#include <seccomp.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace decoder_helper {

namespace {

namespace helper = decoders::helper;

int brokerSocket = -1;

// Asks the program for a read-only descriptor of path; -EACCES when it refuses.
long brokeredOpen(const char* path, long flags) {
    if (!path || path[0] != '/' || (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND)))
        return -EACCES;
    helper::Reply ask;
    ask.kind = helper::MessageKind::OpenFile;
    const std::size_t length = strnlen(path, sizeof ask.text);
    if (length >= sizeof ask.text)
        return -ENAMETOOLONG;
    std::memcpy(ask.text, path, length);
    if (!helper::sendMessage(brokerSocket, &ask, sizeof ask, -1))
        return -EACCES;
    helper::Request answer;
    int fd = -1;
    if (!helper::receiveMessage(brokerSocket, &answer, sizeof answer, &fd) ||
        answer.kind != helper::MessageKind::OpenFile) {
        if (fd >= 0)
            ::close(fd);
        return -EACCES;
    }
    if (fd < 0)
        return -EACCES;
    if (!(flags & O_CLOEXEC))
        ::fcntl(fd, F_SETFD, 0);
    if (!(flags & O_NONBLOCK))
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// The trapped open calls land here (SIGSYS from the filter's SCMP_ACT_TRAP); the result goes
// into the register the system call would have returned in.
void onTrappedCall(int, siginfo_t* info, void* context) {
    auto* uc = static_cast<ucontext_t*>(context);
    long result = -EACCES;
#if defined(__x86_64__)
    greg_t* r = uc->uc_mcontext.gregs;
    if (info->si_syscall == SYS_openat)
        result = brokeredOpen(reinterpret_cast<const char*>(r[REG_RSI]), long(r[REG_RDX]));
    else if (info->si_syscall == SYS_open)
        result = brokeredOpen(reinterpret_cast<const char*>(r[REG_RDI]), long(r[REG_RSI]));
    r[REG_RAX] = result;
#elif defined(__aarch64__)
    auto* r = uc->uc_mcontext.regs;
    if (info->si_syscall == SYS_openat)
        result = brokeredOpen(reinterpret_cast<const char*>(r[1]), long(r[2]));
    r[0] = result;
#else
    (void)info;
    (void)uc;
#endif
}

} // namespace

void enterSandbox(int socket) {
    brokerSocket = socket;
    struct sigaction action {};
    action.sa_sigaction = onTrappedCall;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    if (::sigaction(SIGSYS, &action, nullptr) != 0) {
        std::perror("glimra-decoder: sigaction");
        std::_Exit(70);
    }

    scmp_filter_ctx filter = ::seccomp_init(SCMP_ACT_ALLOW);
    if (!filter)
        std::_Exit(70);
    bool ok = true;
    auto rule = [&](std::uint32_t action, int call) {
        ok = ok && ::seccomp_rule_add(filter, action, call, 0) == 0;
    };
    // Opening by name goes through the program.
    for (int call : {SCMP_SYS(open), SCMP_SYS(openat), SCMP_SYS(creat)})
        rule(SCMP_ACT_TRAP, call);
    for (int call : {SCMP_SYS(openat2), SCMP_SYS(open_by_handle_at), SCMP_SYS(name_to_handle_at)})
        rule(SCMP_ACT_ERRNO(ENOSYS), call);
    // No other program, no new process (threads are allowed below), no debugging of others.
    for (int call : {SCMP_SYS(execve), SCMP_SYS(execveat)})
        rule(SCMP_ACT_KILL_PROCESS, call);
    for (int call : {SCMP_SYS(fork), SCMP_SYS(vfork), SCMP_SYS(ptrace), SCMP_SYS(process_vm_readv),
                     SCMP_SYS(process_vm_writev)})
        rule(SCMP_ACT_ERRNO(EPERM), call);
    // clone3 cannot be inspected: the C library falls back to clone, which may make threads only.
    rule(SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3));
    ok = ok && ::seccomp_rule_add(filter, SCMP_ACT_ERRNO(EPERM), SCMP_SYS(clone), 1,
                                  SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0)) == 0;
    // No network.
    for (int call : {SCMP_SYS(socket), SCMP_SYS(socketpair), SCMP_SYS(connect), SCMP_SYS(bind),
                     SCMP_SYS(listen), SCMP_SYS(accept), SCMP_SYS(accept4)})
        rule(SCMP_ACT_ERRNO(EACCES), call);
    // No changes to files by name.
    for (int call :
         {SCMP_SYS(unlink),    SCMP_SYS(unlinkat), SCMP_SYS(rename),  SCMP_SYS(renameat),
          SCMP_SYS(renameat2), SCMP_SYS(mkdir),    SCMP_SYS(mkdirat), SCMP_SYS(rmdir),
          SCMP_SYS(link),      SCMP_SYS(linkat),   SCMP_SYS(symlink), SCMP_SYS(symlinkat),
          SCMP_SYS(chmod),     SCMP_SYS(fchmodat), SCMP_SYS(chown),   SCMP_SYS(lchown),
          SCMP_SYS(fchownat),  SCMP_SYS(truncate), SCMP_SYS(mknod),   SCMP_SYS(mknodat),
          SCMP_SYS(chdir),     SCMP_SYS(chroot),   SCMP_SYS(mount),   SCMP_SYS(umount2)})
        rule(SCMP_ACT_ERRNO(EACCES), call);
    // Signals to itself only (the program is not to be touched).
    const scmp_datum_t self = scmp_datum_t(::getpid());
    ok = ok && ::seccomp_rule_add(filter, SCMP_ACT_ERRNO(EPERM), SCMP_SYS(kill), 1,
                                  SCMP_A0(SCMP_CMP_NE, self)) == 0;
    ok = ok && ::seccomp_rule_add(filter, SCMP_ACT_ERRNO(EPERM), SCMP_SYS(tgkill), 1,
                                  SCMP_A0(SCMP_CMP_NE, self)) == 0;
    ok = ok && ::seccomp_load(filter) == 0;
    ::seccomp_release(filter);
    if (!ok) {
        std::fprintf(stderr, "glimra-decoder: the sandbox could not be set up\n");
        std::_Exit(70);
    }
}

} // namespace decoder_helper
