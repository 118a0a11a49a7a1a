#pragma once

// Sockets the program opens itself, so that every one is close-on-exec from the start: a
// browser or other program started while a transfer runs inherits none of them.

namespace quendra::linux_impl {

// A new TCP socket of the address family (AF_INET, AF_INET6), opened with SOCK_CLOEXEC.
// Returns its descriptor, or -1 with errno set.
int OpenStreamSocket(int family);

}  // namespace quendra::linux_impl
