#include "components/decoders/helper_protocol.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace decoders::helper {

bool sendMessage(int socket, const void* data, std::size_t size, int fd) {
    iovec io{const_cast<void*>(data), size};
    msghdr msg{};
    msg.msg_iov = &io;
    msg.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (fd >= 0) {
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&msg);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(c), &fd, sizeof(int));
    }
    ssize_t sent;
    do
        sent = ::sendmsg(socket, &msg, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == ssize_t(size);
}

bool receiveMessage(int socket, void* data, std::size_t size, int* fd) {
    *fd = -1;
    iovec io{data, size};
    msghdr msg{};
    msg.msg_iov = &io;
    msg.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ssize_t got;
    do
        got = ::recvmsg(socket, &msg, MSG_CMSG_CLOEXEC);
    while (got < 0 && errno == EINTR);
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c))
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS &&
            c->cmsg_len == CMSG_LEN(sizeof(int)))
            std::memcpy(fd, CMSG_DATA(c), sizeof(int));
    const bool whole = got == ssize_t(size) && !(msg.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) &&
                       *static_cast<const std::uint32_t*>(data) == kMagic;
    if (!whole && *fd >= 0) {
        ::close(*fd);
        *fd = -1;
    }
    return whole;
}

} // namespace decoders::helper
