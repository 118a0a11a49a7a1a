#pragma once

// A timer for the UI thread built on the worker threads: a worker waits out the interval and
// hands the tick to the UI thread, again and again until stopped. It needs nothing of the UI
// toolkit: the window's event loop and quendra-probe's loop both serve hand-offs.

#include <chrono>
#include <functional>
#include <memory>

#include "update/upThread.h"

namespace quendra {

class IntervalTimer {
public:
    IntervalTimer();
    ~IntervalTimer();  // stops
    IntervalTimer(const IntervalTimer&) = delete;
    IntervalTimer& operator=(const IntervalTimer&) = delete;

    // Calls `tick` on the UI thread every `interval` until Stop. Restarts a running timer.
    // Throws when no thread can be started for it.
    void Start(std::chrono::milliseconds interval, std::function<void()> tick);
    void Stop();
    bool Running() const { return thread_.Executing(); }

private:
    TupCustomThread thread_;
};

}  // namespace quendra
