#include "demo/aspi/linux/CompletionSignal.h"

#include <unistd.h>

void SignalCompletionEvent(std::uintptr_t event) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(static_cast<int>(event), &one, sizeof one);
}
