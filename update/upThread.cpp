#include "update/upThread.h"

#include <array>
#include <condition_variable>
#include <utility>

namespace quendra {
namespace {

constexpr std::array<int, 7> kOsPriorities = {-15, -2, -1, 0, 1, 2, 15};

// Every worker of the process, so that an orderly end can wait for abandoned ones too.
struct WorkerCount {
    std::mutex mutex;
    std::condition_variable ended;
    int running = 0;
};

WorkerCount& Workers() {
    static WorkerCount* const workers = new WorkerCount;  // never destroyed; see HandOff.cpp
    return *workers;
}

void WorkerStarted() {
    const std::lock_guard lock(Workers().mutex);
    ++Workers().running;
}

void WorkerEnded() {
    WorkerCount& workers = Workers();
    {
        const std::lock_guard lock(workers.mutex);
        --workers.running;
    }
    workers.ended.notify_all();
}

}  // namespace

int OsThreadPriority(TupThreadPriority priority) {
    return kOsPriorities[static_cast<std::size_t>(priority)];
}

TupThreadPriority ThreadPriorityFromOs(int osPriority) {
    for (std::size_t i = 0; i < kOsPriorities.size(); ++i) {
        if (kOsPriorities[i] == osPriority)
            return static_cast<TupThreadPriority>(i);
    }
    return TupThreadPriority::tpNormal;
}

bool WaitForWorkerThreads(std::chrono::milliseconds timeout) {
    WorkerCount& workers = Workers();
    std::unique_lock lock(workers.mutex);
    return workers.ended.wait_for(lock, timeout, [&] { return workers.running == 0; });
}

// --- TupThreadRun ---------------------------------------------------------------------------

bool TupThreadRun::Synchronize(const std::function<void()>& method) {
    return SynchronizeCall(method, true);
}

bool TupThreadRun::SynchronizeCall(const std::function<void()>& method, bool reportException) {
    if (ownerDestroying_ || abandoned)
        return false;
    const auto call = [&] {
        // The owner may have begun its destruction while the call waited in the queue.
        if (ownerDestroying_)
            return;
        if (!reportException || !handleExceptions_ || !onException_) {
            method();
            return;
        }
        try {
            method();
        } catch (...) {
            onException_(*owner_, std::current_exception());
        }
    };
    const auto result = handOff_->Send(call, shared_from_this());
    if (result.exception && !handleExceptions_)
        std::rethrow_exception(result.exception);
    return result.ran;
}

void TupThreadRun::SetAbandonAction(std::function<void()> action) {
    std::unique_lock lock(abandonMutex_);
    if (!abandoned) {
        abandonAction_ = std::move(action);
        return;
    }
    lock.unlock();
    if (action)
        action();
}

void TupThreadRun::Abandon() {
    std::function<void()> action;
    {
        const std::lock_guard lock(abandonMutex_);
        abandoned = true;
        terminated_ = true;
        action = std::move(abandonAction_);
    }
    if (action)
        action();
    handOff_->Notify();
}

void TupThreadRun::ThreadProcedure(std::shared_ptr<TupThreadRun> run) {
    if (!run->terminated_) {
        // A new thread runs at the normal priority; only another one needs asking for.
        if (run->osPriority_ != OsThreadPriority(TupThreadPriority::tpNormal))
            run->platform_->SetCurrentThreadPriority(run->osPriority_);
        if (run->body_ && !run->ownerDestroying_) {
            try {
                run->body_(*run);
            } catch (...) {
                // Without HandleExceptions the exception ends the body unreported; a thread
                // must never let one escape.
                if (run->handleExceptions_ && run->onException_) {
                    const auto exception = std::current_exception();
                    try {
                        run->SynchronizeCall([&] { run->onException_(*run->owner_, exception); },
                                             false);
                    } catch (...) {
                    }
                }
            }
        }
        if (run->onTerminate_) {
            try {
                run->SynchronizeCall([&] { run->onTerminate_(*run->owner_); }, true);
            } catch (...) {
            }
        }
    }
    run->executing_ = false;
    run->finished_ = true;
    run->handOff_->Notify();
    WorkerEnded();
}

// --- TupEventThread -------------------------------------------------------------------------

TupEventThread::TupEventThread(TupCustomThread& owner, const ThreadPlatform& platform)
    : owner_(owner), platform_(platform), run_(std::make_shared<TupThreadRun>()) {
    run_->handOff_ = detail::HandOff::Acquire();
    run_->platform_ = &platform_;
    run_->owner_ = &owner_;
}

TupEventThread::~TupEventThread() {
    run_->terminated_ = true;
    if (!thread_.joinable())
        return;
    WaitFor();
    thread_.join();
}

std::unique_ptr<TupEventThread> TupEventThread::Copy() const {
    auto copy = std::make_unique<TupEventThread>(owner_, platform_);
    copy->run_->osPriority_ = run_->osPriority_;
    copy->run_->body_ = run_->body_;
    copy->run_->onTerminate_ = run_->onTerminate_;
    copy->run_->onException_ = run_->onException_;
    return copy;
}

void TupEventThread::Resume() {
    if (started_)
        return;
    started_ = true;
    run_->executing_ = true;
    WorkerStarted();
    try {
        thread_ = std::thread(&TupThreadRun::ThreadProcedure, run_);
        handle_ = thread_.native_handle();
    } catch (...) {
        run_->executing_ = false;
        run_->finished_ = true;
        WorkerEnded();
        throw;
    }
}

bool TupEventThread::Suspend() {
    return !started_;
}

int TupEventThread::WaitFor() {
    if (started_) {
        if (IsUiThread()) {
            run_->handOff_->ServeUntil([&] { return run_->finished_.load(); }, std::nullopt, false,
                                       false);
        } else {
            while (!run_->finished_)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return run_->returnValue_;
}

TupThreadPriority TupEventThread::Priority() const {
    if (started_ && !run_->finished_) {
        if (const auto os = platform_.GetPriority(handle_))
            return ThreadPriorityFromOs(*os);
    }
    return ThreadPriorityFromOs(run_->osPriority_);
}

void TupEventThread::SetPriority(TupThreadPriority priority) {
    run_->osPriority_ = OsThreadPriority(priority);
    if (started_ && !run_->finished_)
        platform_.SetPriority(handle_, run_->osPriority_);
}

void TupEventThread::Abandon() {
    run_->Abandon();
    if (thread_.joinable())
        thread_.detach();
}

// --- TupCustomThread ------------------------------------------------------------------------

TupCustomThread::TupCustomThread(const ThreadPlatform& platform)
    : thread_(std::make_unique<TupEventThread>(*this, platform)) {}

TupCustomThread::~TupCustomThread() {
    OwnerDestroying();
    if (thread_->Executing())
        thread_->Abandon();
    thread_.reset();
}

void TupCustomThread::SetOnExecute(TupThreadRun::Body body) {
    body_ = std::move(body);
}

void TupCustomThread::SetOnTerminate(TupThreadRun::TerminateHook hook) {
    onTerminate_ = std::move(hook);
}

void TupCustomThread::SetOnException(TupThreadRun::ExceptionHook hook) {
    onException_ = std::move(hook);
}

void TupCustomThread::OwnerDestroying() {
    destroying_ = true;
    thread_->run_->ownerDestroying_ = true;
}

void TupCustomThread::Terminate(bool immediately) {
    if (!thread_)
        return;
    if (!immediately) {
        thread_->Terminate();
        return;
    }
    if (thread_->Executing())
        thread_->Abandon();
    auto fresh = thread_->Copy();
    thread_ = std::move(fresh);
}

bool TupCustomThread::Execute() {
    Terminate(true);
    TupThreadRun& run = *thread_->run_;
    run.body_ = body_;
    run.onTerminate_ = onTerminate_;
    run.onException_ = onException_;
    run.handleExceptions_ = HandleExceptions;
    run.ownerDestroying_ = destroying_.load();
    thread_->Resume();
    if (!WaitForTermination)
        return true;

    const auto runState = thread_->run_;
    using Wait = detail::HandOff::WaitResult;
    for (;;) {
        std::optional<detail::HandOff::Clock::time_point> deadline;
        if (WaitTimeout != 0)
            deadline = detail::HandOff::Clock::now() + std::chrono::milliseconds(WaitTimeout);
        const auto result = runState->handOff_->ServeUntil(
            [&] { return runState->finished_.load() || destroying_.load(); }, deadline, true, true);
        if (result == Wait::Done)
            return true;
        if (result == Wait::TimedOut) {
            bool terminate = true;
            if (OnWaitTimeout)
                OnWaitTimeout(*this, terminate);
            // A handler may have started another run; abandon only the one that timed out.
            if (terminate && thread_->run_ == runState)
                Terminate(true);
            return !terminate;
        }
    }
}

}  // namespace quendra
