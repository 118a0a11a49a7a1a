#pragma once

#include <cstdint>

// Signals the completion event (an eventfd) whose descriptor a request carries.
void SignalCompletionEvent(std::uintptr_t event);
