#include "demo/aspi/linux/CompletionSignal.h"

#include <unistd.h>

namespace quendra::linux_impl {

void SignalCompletionEvent(std::uintptr_t event) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(static_cast<int>(event), &one, sizeof one);
}

}  // namespace quendra::linux_impl
