#include "net/linux/StreamSocket.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace quendra::linux_impl {

int OpenStreamSocket(int family) {
    return ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
}

bool IsCloseOnExec(int fd) {
    const int flags = ::fcntl(fd, F_GETFD);
    return flags != -1 && (flags & FD_CLOEXEC) != 0;
}

}  // namespace quendra::linux_impl
