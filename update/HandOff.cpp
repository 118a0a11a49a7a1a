#include "update/HandOff.h"

#include <thread>
#include <utility>

namespace quendra {
namespace {

struct ProcessState {
    std::mutex mutex;  // guards everything below
    std::weak_ptr<detail::HandOff> instance;
    UiThreadHooks hooks;
    std::optional<std::thread::id> uiThread;
};

// Never destroyed: a worker that ends while the process exits may still reach it.
ProcessState& Process() {
    static ProcessState* const state = new ProcessState;
    return *state;
}

UiThreadHooks Hooks() {
    ProcessState& p = Process();
    const std::lock_guard lock(p.mutex);
    return p.hooks;
}

// While the UI loop has events of its own, waits end this often to serve them.
constexpr auto kEventPollInterval = std::chrono::milliseconds(5);

}  // namespace

void InstallUiThreadHooks(UiThreadHooks hooks) {
    ProcessState& p = Process();
    const std::lock_guard lock(p.mutex);
    p.hooks = std::move(hooks);
    p.uiThread = std::this_thread::get_id();
}

bool IsUiThread() {
    ProcessState& p = Process();
    const std::lock_guard lock(p.mutex);
    return p.uiThread == std::this_thread::get_id();
}

std::size_t DrainHandOff() {
    const auto handOff = detail::HandOff::Current();
    std::size_t ran = 0;
    while (handOff && handOff->ServeOne())
        ++ran;
    return ran;
}

bool RunUiLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto handOff = detail::HandOff::Acquire();
    const auto deadline = detail::HandOff::Clock::now() + timeout;
    return handOff->ServeUntil(done, deadline, false, false) == detail::HandOff::WaitResult::Done;
}

void ServeEventsFor(std::chrono::milliseconds duration) {
    const auto handOff = detail::HandOff::Acquire();
    handOff->ServeUntil(nullptr, detail::HandOff::Clock::now() + duration, false, true);
}

namespace detail {

std::shared_ptr<HandOff> HandOff::Acquire() {
    ProcessState& p = Process();
    const std::lock_guard lock(p.mutex);
    auto instance = p.instance.lock();
    if (!instance) {
        instance = std::make_shared<HandOff>();
        p.instance = instance;
    }
    if (!p.uiThread)
        p.uiThread = std::this_thread::get_id();
    return instance;
}

std::shared_ptr<HandOff> HandOff::Current() {
    ProcessState& p = Process();
    const std::lock_guard lock(p.mutex);
    return p.instance.lock();
}

HandOff::SendResult HandOff::Send(std::function<void()> call,
                                  const std::shared_ptr<HandOffClient>& client) {
    if (IsUiThread()) {
        SendResult result{true, nullptr};
        try {
            call();
        } catch (...) {
            result.exception = std::current_exception();
        }
        return result;
    }
    if (client->abandoned)
        return {};

    auto queued = std::make_shared<Call>();
    queued->method = std::move(call);
    queued->client = client;
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(queued);
    }
    changed_.notify_all();
    if (const auto wake = Hooks().wake)
        wake();

    std::unique_lock lock(mutex_);
    changed_.wait(lock,
                  [&] { return queued->finished || (!queued->started && client->abandoned); });
    if (!queued->finished) {
        std::erase(queue_, queued);
        return {};
    }
    return {true, queued->exception};
}

bool HandOff::ServeOne() {
    std::shared_ptr<Call> call;
    {
        const std::lock_guard lock(mutex_);
        while (!queue_.empty() && !call) {
            auto front = std::move(queue_.front());
            queue_.pop_front();
            if (!front->client->abandoned)
                call = std::move(front);
        }
        if (!call)
            return false;
        call->started = true;
    }
    std::exception_ptr exception;
    try {
        call->method();
    } catch (...) {
        exception = std::current_exception();
    }
    {
        const std::lock_guard lock(mutex_);
        call->finished = true;
        call->exception = exception;
        ++notifications_;
    }
    changed_.notify_all();
    return true;
}

HandOff::WaitResult HandOff::ServeUntil(const std::function<bool()>& done,
                                        std::optional<Clock::time_point> deadline,
                                        bool returnAfterCall, bool processEvents) {
    const auto process = processEvents ? Hooks().processEvents : std::function<void()>();
    for (;;) {
        std::uint64_t seen = 0;
        {
            const std::lock_guard lock(mutex_);
            seen = notifications_;
        }
        if (done && done())
            return WaitResult::Done;
        if (ServeOne()) {
            if (returnAfterCall)
                return WaitResult::Served;
            continue;
        }
        if (process) {
            process();
            if (done && done())
                return WaitResult::Done;
        }

        std::optional<Clock::time_point> wakeAt = deadline;
        if (process) {
            const auto poll = Clock::now() + kEventPollInterval;
            wakeAt = wakeAt ? std::min(*wakeAt, poll) : poll;
        }
        std::unique_lock lock(mutex_);
        const auto ready = [&] { return !queue_.empty() || notifications_ != seen; };
        bool woken = true;
        if (wakeAt) {
            woken = changed_.wait_until(lock, *wakeAt, ready);
        } else {
            changed_.wait(lock, ready);
        }
        lock.unlock();
        if (!woken && deadline && Clock::now() >= *deadline) {
            return done && done() ? WaitResult::Done : WaitResult::TimedOut;
        }
    }
}

void HandOff::Notify() {
    {
        const std::lock_guard lock(mutex_);
        ++notifications_;
    }
    changed_.notify_all();
}

}  // namespace detail
}  // namespace quendra
