#pragma once

#include <cstdint>

namespace quendra::linux_impl {

// Signals the completion event (an eventfd) whose descriptor a request carries.
void SignalCompletionEvent(std::uintptr_t event);

}  // namespace quendra::linux_impl
