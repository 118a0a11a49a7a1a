#pragma once

// The server's sockets are made close-on-exec as soon as they exist: Asio opens the
// listening socket and accepts connections without the flag.

namespace quendra::linux_impl {

// Sets FD_CLOEXEC; false when the descriptor is not open.
bool SetCloseOnExec(int fd);

}  // namespace quendra::linux_impl
