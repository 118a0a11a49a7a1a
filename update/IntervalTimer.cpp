#include "update/IntervalTimer.h"

#include <condition_variable>
#include <mutex>

namespace quendra {
namespace {

// What the waiting worker shares with whoever stops it.
struct Wakeup {
    std::mutex mutex;
    std::condition_variable stopped;
    bool stop = false;
};

}  // namespace

IntervalTimer::IntervalTimer() = default;

IntervalTimer::~IntervalTimer() {
    Stop();
}

void IntervalTimer::Start(std::chrono::milliseconds interval, std::function<void()> tick) {
    thread_.SetOnExecute([interval, tick = std::move(tick)](TupThreadRun& run) {
        auto wakeup = std::make_shared<Wakeup>();
        run.SetAbandonAction([wakeup] {
            {
                const std::lock_guard lock(wakeup->mutex);
                wakeup->stop = true;
            }
            wakeup->stopped.notify_all();
        });
        for (;;) {
            {
                std::unique_lock lock(wakeup->mutex);
                if (wakeup->stopped.wait_for(lock, interval, [&] { return wakeup->stop; }))
                    return;
            }
            if (run.Terminated() || !run.Synchronize(tick))
                return;
        }
    });
    thread_.Execute();  // abandons a timer that runs
}

void IntervalTimer::Stop() {
    if (thread_.Executing())
        thread_.Terminate(true);
}

}  // namespace quendra
