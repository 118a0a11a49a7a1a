#pragma once

#include <chrono>

namespace quendra::linux_impl {

// Waits until process `pid` has ended, at most `timeout`. True when it has.
bool WaitForProcessEnd(int pid, std::chrono::milliseconds timeout);

}  // namespace quendra::linux_impl
