#include "update/linux/ProcessWait.h"

#include <signal.h>

#include <cerrno>
#include <thread>

namespace quendra::linux_impl {

bool WaitForProcessEnd(int pid, std::chrono::milliseconds timeout) {
    if (pid <= 0)
        return true;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (kill(pid, 0) == 0 || errno == EPERM) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace quendra::linux_impl
