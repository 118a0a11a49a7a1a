#include "sysinfo/linux/LinuxProcessor.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define QUENDRA_X86 1
#endif

namespace quendra::linux_impl {

bool CpuidAvailable() {
#ifdef QUENDRA_X86
    constexpr unsigned kIdFlag = 1u << 21;
    const auto original = __readeflags();
    __writeeflags(original ^ kIdFlag);
    const auto toggled = __readeflags();
    __writeeflags(original);
    return ((original ^ toggled) & kIdFlag) != 0;
#else
    return false;
#endif
}

CpuidRegisters ExecuteCpuid(std::uint32_t leaf, std::uint32_t subLeaf) {
    CpuidRegisters r;
#ifdef QUENDRA_X86
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    __cpuid_count(leaf, subLeaf, eax, ebx, ecx, edx);
    r = {eax, ebx, ecx, edx};
#else
    (void)leaf;
    (void)subLeaf;
#endif
    return r;
}

std::uint64_t ReadTimeStampCounter() {
#ifdef QUENDRA_X86
    return __rdtsc();
#else
    return 0;
#endif
}

bool QueryPerformanceFrequency(std::int64_t& frequency) {
    frequency = 10'000'000;
    return true;
}

std::int64_t QueryPerformanceCounter() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 10'000'000 + now.tv_nsec / 100;
}

int GetThreadPriority() {
    int policy = 0;
    sched_param param{};
    if (pthread_getschedparam(pthread_self(), &policy, &param) != 0) {
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    return policy == SCHED_OTHER ? THREAD_PRIORITY_NORMAL : THREAD_PRIORITY_ERROR_RETURN;
}

bool SetThreadPriority(int priority) {
    sched_param param{};
    int policy = SCHED_OTHER;
    if (priority == THREAD_PRIORITY_TIME_CRITICAL) {
        policy = SCHED_FIFO;
        param.sched_priority = sched_get_priority_max(SCHED_FIFO);
    }
    return pthread_setschedparam(pthread_self(), policy, &param) == 0;
}

}  // namespace quendra::linux_impl
