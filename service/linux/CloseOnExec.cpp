#include "service/linux/CloseOnExec.h"

#include <fcntl.h>

namespace quendra::linux_impl {

bool SetCloseOnExec(int fd) {
    const int flags = ::fcntl(fd, F_GETFD);
    return flags != -1 && ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC) != -1;
}

}  // namespace quendra::linux_impl
