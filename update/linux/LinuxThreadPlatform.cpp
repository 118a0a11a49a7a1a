#include <pthread.h>
#include <sched.h>

#include "update/ThreadPlatform.h"

namespace quendra {
namespace linux_impl {
namespace {

constexpr int kTimeCritical = 15;
constexpr int kNormal = 0;

// Time-critical asks for the highest real-time priority (usually refused without
// privileges); every other priority runs the thread under the normal policy.
class LinuxThreadPlatform final : public ThreadPlatform {
public:
    bool SetPriority(std::thread::native_handle_type thread, int osPriority) const override {
        sched_param param{};
        int policy = SCHED_OTHER;
        if (osPriority == kTimeCritical) {
            policy = SCHED_FIFO;
            param.sched_priority = sched_get_priority_max(SCHED_FIFO);
        }
        return pthread_setschedparam(thread, policy, &param) == 0;
    }

    bool SetCurrentThreadPriority(int osPriority) const override {
        return SetPriority(pthread_self(), osPriority);
    }

    std::optional<int> GetPriority(std::thread::native_handle_type thread) const override {
        int policy = 0;
        sched_param param{};
        if (pthread_getschedparam(thread, &policy, &param) != 0)
            return std::nullopt;
        return policy == SCHED_OTHER ? kNormal : kTimeCritical;
    }
};

}  // namespace
}  // namespace linux_impl

const ThreadPlatform& SystemThreadPlatform() {
    static const linux_impl::LinuxThreadPlatform platform;
    return platform;
}

}  // namespace quendra
