#pragma once

// The operating-system side of worker threads: their scheduling priority. Best effort: a
// refused change leaves the thread as it was, as a failed priority change does everywhere.

#include <optional>
#include <thread>

namespace quendra {

struct ThreadPlatform {
    virtual ~ThreadPlatform() = default;
    // Gives the thread an OS priority value of the priority table (-15 .. 15). True when the
    // system accepted it.
    virtual bool SetPriority(std::thread::native_handle_type thread, int osPriority) const = 0;
    // The same for the calling thread.
    virtual bool SetCurrentThreadPriority(int osPriority) const = 0;
    // The thread's OS priority value, or nothing when it cannot be read.
    virtual std::optional<int> GetPriority(std::thread::native_handle_type thread) const = 0;
};

// The platform this program runs on (update/linux/).
const ThreadPlatform& SystemThreadPlatform();

}  // namespace quendra
