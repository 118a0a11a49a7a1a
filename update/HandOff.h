#pragma once

// Calls handed from worker threads to the UI thread (the thread that runs the event loop).
// A worker queues a call and blocks until the UI thread has run it. The UI thread runs the
// queue from its event loop, which a wake hook tells that calls are waiting, and inside any
// wait of its own for a worker, so a worker that hands off while the UI thread waits for it
// never deadlocks.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace quendra {

// How the UI thread's event loop is reached. The window installs hooks that post one event
// to its thread (which then calls DrainHandOff) and that run its pending events; programs
// without a toolkit leave them empty and wait with RunUiLoopUntil.
struct UiThreadHooks {
    std::function<void()> wake;           // any thread: calls are queued
    std::function<void()> processEvents;  // UI thread: run pending events once, without blocking
};

// Process-wide; the calling thread becomes the UI thread.
void InstallUiThreadHooks(UiThreadHooks hooks);

// Whether the calling thread is the UI thread (the one that installed the hooks or, before
// that, the one that made the first thread object).
bool IsUiThread();

// Runs every call queued for the UI thread, oldest first; returns how many ran. UI thread only.
std::size_t DrainHandOff();

// The loop of a program without a toolkit: serves handed-off calls until `done` holds (it is
// checked after every call and whenever a worker ends) or `timeout` passes. Returns `done()`.
bool RunUiLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// Waits `duration` on the UI thread while serving handed-off calls and the UI loop's events.
void ServeEventsFor(std::chrono::milliseconds duration);

namespace detail {

// What a queued call belongs to: once the run is abandoned, its calls are dropped.
struct HandOffClient {
    std::atomic<bool> abandoned{false};
};

// The process-wide hand-off object: made with the first thread object, gone with the last
// (every thread object and every worker holds a reference).
class HandOff {
public:
    using Clock = std::chrono::steady_clock;

    static std::shared_ptr<HandOff> Acquire();
    // The living instance, or null.
    static std::shared_ptr<HandOff> Current();

    struct SendResult {
        bool ran = false;              // false: dropped, its run was abandoned
        std::exception_ptr exception;  // what the call threw
    };
    // Worker side: queues `call` and blocks until the UI thread has run it, or until the
    // client is abandoned while the call still waits in the queue. A call that has begun
    // always finishes before the worker goes on. Called on the UI thread, runs it directly.
    SendResult Send(std::function<void()> call, const std::shared_ptr<HandOffClient>& client);

    // UI side: runs the oldest queued call. False when none waits.
    bool ServeOne();

    enum class WaitResult { Done, Served, TimedOut };
    // UI side: serves queued calls until `done()` holds (Done), or, when `returnAfterCall`,
    // until one call ran (Served), or until `deadline` (TimedOut). With `processEvents`,
    // the UI loop's own events are served too, every few milliseconds.
    WaitResult ServeUntil(const std::function<bool()>& done,
                          std::optional<Clock::time_point> deadline, bool returnAfterCall,
                          bool processEvents);

    // Wakes the waits of ServeUntil and of blocked workers: a worker ended, a run was abandoned.
    void Notify();

    HandOff() = default;
    HandOff(const HandOff&) = delete;
    HandOff& operator=(const HandOff&) = delete;

private:
    struct Call {
        std::function<void()> method;
        std::shared_ptr<HandOffClient> client;
        bool started = false;
        bool finished = false;
        std::exception_ptr exception;
    };

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Call>> queue_;
    std::uint64_t notifications_ = 0;  // counts calls finished and Notify calls
};

}  // namespace detail
}  // namespace quendra
