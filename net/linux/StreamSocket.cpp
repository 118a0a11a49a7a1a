#include "net/linux/StreamSocket.h"

#include <netinet/in.h>
#include <sys/socket.h>

namespace quendra::linux_impl {

int OpenStreamSocket(int family) {
    return ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
}

}  // namespace quendra::linux_impl
