#pragma once

// Worker threads of the update component. A TupCustomThread owns one TupEventThread (one
// OS thread) and replaces it with a fresh one for every run. The body runs on the worker;
// everything that reaches application code is handed to the UI thread while the worker
// waits (see HandOff.h).
//
// A run is never killed. Terminate(true) abandons it instead: the run is marked, its abandon
// action (stopping its I/O) runs, every later hand-off of it is dropped, and the component
// starts the next run at once with a fresh thread object. The abandoned worker ends on its
// own and touches nothing but its TupThreadRun, which it shares; so the body must keep its
// state there (or in objects the run owns), never in the component.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "update/HandOff.h"
#include "update/ThreadPlatform.h"

namespace quendra {

enum class TupThreadPriority {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical,
};

// The OS values of the priorities: -15, -2, -1, 0, 1, 2, 15.
int OsThreadPriority(TupThreadPriority priority);
// An OS value read back through the same table; a value that is not in it is tpNormal.
TupThreadPriority ThreadPriorityFromOs(int osPriority);

class TupCustomThread;

// One run of a worker, shared by the worker and the thread objects.
class TupThreadRun : public detail::HandOffClient,
                     public std::enable_shared_from_this<TupThreadRun> {
public:
    using Body = std::function<void(TupThreadRun&)>;
    using TerminateHook = std::function<void(TupCustomThread&)>;
    using ExceptionHook = std::function<void(TupCustomThread&, std::exception_ptr)>;

    // The body's checkpoint: set by Terminate and when the run is abandoned.
    bool Terminated() const { return terminated_; }
    bool Abandoned() const { return abandoned; }

    // Runs `method` on the UI thread while the worker waits. False when nothing ran: the run
    // was abandoned or its component is being destroyed. An exception of `method` goes to the
    // exception hook on the UI thread (HandleExceptions) or is thrown again here (without).
    bool Synchronize(const std::function<void()>& method);

    // What makes a blocked body return once the run is abandoned, for example stopping its
    // socket's I/O. Runs on the abandoning thread, so it must be safe from any thread. Set
    // after the run was abandoned, it runs at once.
    void SetAbandonAction(std::function<void()> action);

    void SetReturnValue(int value) { returnValue_ = value; }

private:
    friend class TupEventThread;
    friend class TupCustomThread;

    static void ThreadProcedure(std::shared_ptr<TupThreadRun> run);
    void Abandon();
    bool SynchronizeCall(const std::function<void()>& method, bool reportException);

    std::shared_ptr<detail::HandOff> handOff_;
    const ThreadPlatform* platform_ = nullptr;
    TupCustomThread* owner_ = nullptr;  // used on the UI thread only, never once abandoned
    Body body_;
    TerminateHook onTerminate_;
    ExceptionHook onException_;
    bool handleExceptions_ = true;
    int osPriority_ = 0;

    std::atomic<bool> terminated_{false};
    std::atomic<bool> executing_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> ownerDestroying_{false};
    std::atomic<int> returnValue_{0};

    std::mutex abandonMutex_;
    std::function<void()> abandonAction_;
};

// One OS thread, created suspended: the thread starts at Resume (a std::thread cannot be made
// suspended), so a thread object that is never resumed never has an OS thread to end.
class TupEventThread {
public:
    explicit TupEventThread(TupCustomThread& owner, const ThreadPlatform& platform);
    // Sets Terminated; a started run that is not abandoned is waited for, serving hand-offs.
    ~TupEventThread();
    TupEventThread(const TupEventThread&) = delete;
    TupEventThread& operator=(const TupEventThread&) = delete;

    // A fresh, suspended thread object for the same owner, with this one's priority and hooks.
    std::unique_ptr<TupEventThread> Copy() const;

    void Resume();
    // Only a thread that has not started can be held back; a running one cannot be
    // suspended here, and Suspend then returns false.
    bool Suspend();
    void Terminate() { run_->terminated_ = true; }
    // Waits until the run has ended and returns its exit code. On the UI thread the wait
    // serves the hand-offs of every worker, this one's included.
    int WaitFor();

    bool Terminated() const { return run_->terminated_; }
    // From Resume until the thread procedure has ended.
    bool Executing() const { return run_->executing_; }
    bool Suspended() const { return !started_; }

    TupThreadPriority Priority() const;
    void SetPriority(TupThreadPriority priority);

    const std::shared_ptr<TupThreadRun>& Run() const { return run_; }

private:
    friend class TupCustomThread;
    // Leaves the running worker to end on its own (see TupCustomThread::Terminate).
    void Abandon();

    TupCustomThread& owner_;
    const ThreadPlatform& platform_;
    std::shared_ptr<TupThreadRun> run_;
    std::thread thread_;
    std::thread::native_handle_type handle_{};
    bool started_ = false;
};

class TupCustomThread {
public:
    explicit TupCustomThread(const ThreadPlatform& platform = SystemThreadPlatform());
    // Abandons a run that is still executing, then frees the thread object.
    ~TupCustomThread();
    TupCustomThread(const TupCustomThread&) = delete;
    TupCustomThread& operator=(const TupCustomThread&) = delete;

    // Catch exceptions of the body and of handed-off calls and give them to the exception hook.
    bool HandleExceptions = true;
    // Execute blocks until the run ends, serving hand-offs and the UI loop's events.
    bool WaitForTermination = false;
    // Longest silence of one blocking Execute, in milliseconds; every call the worker hands
    // off starts a new period. 0: no limit.
    std::uint32_t WaitTimeout = 0;
    // A blocking Execute timed out; leaving `terminate` true abandons the run.
    std::function<void(TupCustomThread& sender, bool& terminate)> OnWaitTimeout;

    void SetOnExecute(TupThreadRun::Body body);
    void SetOnTerminate(TupThreadRun::TerminateHook hook);
    void SetOnException(TupThreadRun::ExceptionHook hook);

    // Starts a run on a fresh thread object (abandoning one that still executes). Returns
    // true, or with WaitForTermination whether the run ended without being abandoned after
    // a timeout.
    bool Execute();
    // Immediately: abandons an executing run and puts a fresh thread object in place.
    // Otherwise: sets Terminated, and the body stops at its next checkpoint.
    void Terminate(bool immediately = false);

    bool Executing() const { return thread_ && thread_->Executing(); }
    bool Terminated() const { return thread_ && thread_->Terminated(); }
    bool Suspended() const { return thread_ && thread_->Suspended(); }
    bool Suspend() { return thread_ && thread_->Suspend(); }
    TupThreadPriority Priority() const { return thread_->Priority(); }
    void SetPriority(TupThreadPriority priority) { thread_->SetPriority(priority); }

    // Called first by the owner's destruction: from then on hand-offs and hooks do nothing.
    void OwnerDestroying();
    bool Destroying() const { return destroying_; }

    TupEventThread& Thread() { return *thread_; }

private:
    std::unique_ptr<TupEventThread> thread_;
    TupThreadRun::Body body_;
    TupThreadRun::TerminateHook onTerminate_;
    TupThreadRun::ExceptionHook onException_;
    std::atomic<bool> destroying_{false};
};

// Waits until every worker thread of the process has ended (abandoned ones included).
// False when some still run after `timeout`. For orderly ends and tests.
bool WaitForWorkerThreads(std::chrono::milliseconds timeout);

}  // namespace quendra
