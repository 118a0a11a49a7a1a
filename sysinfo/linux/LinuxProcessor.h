#pragma once

// The processor, clock and thread-priority operations of the Linux platform.

#include <cstdint>

#include "sysinfo/SysPlatform.h"

namespace quendra::linux_impl {

// True on x86 when bit 21 of EFLAGS can be toggled; false on other processors.
bool CpuidAvailable();
// CPUID on x86; zeros elsewhere (never called there, CpuidAvailable being false).
CpuidRegisters ExecuteCpuid(std::uint32_t leaf, std::uint32_t subLeaf);
// RDTSC on x86; 0 elsewhere.
std::uint64_t ReadTimeStampCounter();

// CLOCK_MONOTONIC in units of 100 ns: a 10 MHz counter.
bool QueryPerformanceFrequency(std::int64_t& frequency);
std::int64_t QueryPerformanceCounter();

// THREAD_PRIORITY_NORMAL for a thread under the normal scheduling policy; any other
// policy reports THREAD_PRIORITY_ERROR_RETURN, so callers leave it as it is.
int GetThreadPriority();
// Time-critical asks for the highest real-time priority (usually refused without
// privileges); every other priority returns to the normal policy. Best effort.
bool SetThreadPriority(int priority);

}  // namespace quendra::linux_impl
