#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "update/HandOff.h"
#include "update/upThread.h"

using namespace quendra;
using namespace std::chrono_literals;

namespace {

// A gate a worker can wait at until the test (or an abandon action) opens it.
class Gate {
public:
    void Open() {
        {
            const std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }
    void Wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

class ThreadTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(WaitForWorkerThreads(10s)); }
};

TEST_F(ThreadTest, UiThreadWaitingForAWorkerServesItsHandOffs) {
    TupCustomThread thread;
    int handedOff = 0;  // touched on the UI thread only
    bool terminated = false;
    thread.SetOnExecute([&](TupThreadRun& run) {
        for (int i = 0; i < 1000; ++i)
            run.Synchronize([&] { ++handedOff; });
        run.SetReturnValue(7);
    });
    thread.SetOnTerminate([&](TupCustomThread&) { terminated = true; });

    ASSERT_TRUE(thread.Execute());
    EXPECT_EQ(thread.Thread().WaitFor(), 7);
    EXPECT_EQ(handedOff, 1000);
    EXPECT_TRUE(terminated);
    EXPECT_FALSE(thread.Executing());
}

TEST_F(ThreadTest, BlockingExecuteServesHandOffsAndRunsTheTerminateHookBeforeReturning) {
    TupCustomThread thread;
    thread.WaitForTermination = true;
    std::vector<int> order;
    thread.SetOnExecute([&](TupThreadRun& run) {
        run.Synchronize([&] { order.push_back(1); });
        run.Synchronize([&] { order.push_back(2); });
    });
    thread.SetOnTerminate([&](TupCustomThread&) { order.push_back(3); });
    EXPECT_TRUE(thread.Execute());
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(ThreadTest, ThreadObjectThatNeverRanIsDestroyedCleanly) {
    bool ran = false;
    {
        TupCustomThread thread;
        thread.SetOnExecute([&](TupThreadRun&) { ran = true; });
        thread.SetOnTerminate([&](TupCustomThread&) { ran = true; });
        EXPECT_TRUE(thread.Suspended());
        EXPECT_FALSE(thread.Executing());
    }
    EXPECT_FALSE(ran);
}

TEST_F(ThreadTest, ExecuteWhileRunningAbandonsTheFirstRun) {
    TupCustomThread thread;
    auto firstGate = std::make_shared<Gate>();
    auto firstHandOffRan = std::make_shared<std::atomic<bool>>(false);
    auto firstSynchronized = std::make_shared<std::atomic<int>>(-1);
    std::atomic<int> runs{0};
    int terminateHooks = 0;
    thread.SetOnExecute([=, &runs](TupThreadRun& run) {
        if (++runs == 1) {
            firstGate->Wait();
            *firstSynchronized = run.Synchronize([=] { *firstHandOffRan = true; });
        }
    });
    thread.SetOnTerminate([&](TupCustomThread&) { ++terminateHooks; });

    ASSERT_TRUE(thread.Execute());
    while (runs.load() == 0)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(thread.Execute());  // the first run is abandoned, a second one starts
    EXPECT_EQ(thread.Thread().WaitFor(), 0);
    firstGate->Open();

    ASSERT_TRUE(WaitForWorkerThreads(10s));
    DrainHandOff();
    EXPECT_EQ(runs.load(), 2);
    EXPECT_EQ(terminateHooks, 1);  // only the second run's
    EXPECT_EQ(firstSynchronized->load(), 0);
    EXPECT_FALSE(firstHandOffRan->load());
}

TEST_F(ThreadTest, ExceptionsReachTheExceptionHookAndTheRunGoesOn) {
    TupCustomThread thread;
    std::vector<std::string> caught;
    int handedOff = 0;
    bool terminated = false;
    thread.SetOnException([&](TupCustomThread&, std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& error) {
            caught.push_back(error.what());
        }
    });
    thread.SetOnTerminate([&](TupCustomThread&) { terminated = true; });
    thread.SetOnExecute([&](TupThreadRun& run) {
        EXPECT_TRUE(run.Synchronize([] { throw std::runtime_error("in a handed-off call"); }));
        run.Synchronize([&] { ++handedOff; });
        throw std::runtime_error("in the body");
    });
    thread.Execute();
    thread.Thread().WaitFor();
    EXPECT_EQ(caught, (std::vector<std::string>{"in a handed-off call", "in the body"}));
    EXPECT_EQ(handedOff, 1);
    EXPECT_TRUE(terminated);
}

TEST_F(ThreadTest, WithoutHandleExceptionsAHandedOffExceptionReturnsToTheWorker) {
    TupCustomThread thread;
    thread.HandleExceptions = false;
    bool hookCalled = false;
    std::atomic<bool> rethrown{false};
    thread.SetOnException([&](TupCustomThread&, std::exception_ptr) { hookCalled = true; });
    thread.SetOnExecute([&](TupThreadRun& run) {
        try {
            run.Synchronize([] { throw std::runtime_error("x"); });
        } catch (const std::runtime_error&) {
            rethrown = true;
        }
    });
    thread.Execute();
    thread.Thread().WaitFor();
    EXPECT_TRUE(rethrown.load());
    EXPECT_FALSE(hookCalled);
}

TEST_F(ThreadTest, WaitTimeoutCountsFromTheLastHandOff) {
    TupCustomThread thread;
    thread.WaitForTermination = true;
    thread.WaitTimeout = 1000;
    int timeouts = 0;
    thread.OnWaitTimeout = [&](TupCustomThread&, bool&) { ++timeouts; };

    // Talks every 500 ms for 2.5 s: never a second of silence.
    thread.SetOnExecute([](TupThreadRun& run) {
        for (int i = 0; i < 5; ++i) {
            std::this_thread::sleep_for(500ms);
            run.Synchronize([] {});
        }
    });
    EXPECT_TRUE(thread.Execute());
    EXPECT_EQ(timeouts, 0);

    // Stays silent until its run is abandoned.
    auto gate = std::make_shared<Gate>();
    thread.SetOnExecute([gate](TupThreadRun& run) {
        run.SetAbandonAction([gate] { gate->Open(); });
        gate->Wait();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(thread.Execute());
    EXPECT_EQ(timeouts, 1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1000ms);
    EXPECT_FALSE(thread.Executing());
}

TEST_F(ThreadTest, WaitTimeoutHandlerMayKeepTheRun) {
    TupCustomThread thread;
    thread.WaitForTermination = true;
    thread.WaitTimeout = 50;
    thread.OnWaitTimeout = [](TupCustomThread&, bool& terminate) { terminate = false; };
    auto gate = std::make_shared<Gate>();
    thread.SetOnExecute([gate](TupThreadRun&) { gate->Wait(); });
    EXPECT_TRUE(thread.Execute());  // the wait ends, the run goes on
    EXPECT_TRUE(thread.Executing());
    gate->Open();
    thread.Thread().WaitFor();
    EXPECT_FALSE(thread.Executing());
}

// What a transfer engine looks like to its worker: the worker touches only the run's state.
struct Engine {
    TupCustomThread thread;
    std::vector<int> completed;  // UI thread only
};

struct RunState {
    Gate gate;
    std::atomic<bool> stopped{false};
    std::atomic<bool> handOffRan{false};
    std::vector<char> buffer = std::vector<char>(4096);
};

TEST_F(ThreadTest, AbandonedWorkerOutlivingItsOwnerTouchesOnlyItsRun) {
    auto state = std::make_shared<RunState>();
    std::atomic<bool> blocked{false};
    {
        auto engine = std::make_unique<Engine>();
        Engine* raw = engine.get();
        engine->thread.SetOnTerminate([raw](TupCustomThread&) { raw->completed.push_back(1); });
        engine->thread.SetOnExecute([state, &blocked](TupThreadRun& run) {
            run.SetAbandonAction([state] {
                state->stopped = true;
                state->gate.Open();
            });
            blocked = true;
            state->gate.Wait();  // "blocked in a read" until the abandon action stops it
            state->buffer.assign(8192, 'x');
            if (!run.Terminated())
                ADD_FAILURE() << "an abandoned run reads as terminated";
            state->handOffRan = run.Synchronize([state] { state->handOffRan = true; });
        });
        engine->thread.Execute();
        while (!blocked)
            std::this_thread::sleep_for(1ms);
        engine->thread.Terminate(true);
        EXPECT_FALSE(engine->thread.Executing());
        engine.reset();  // the owner is gone while its old worker still runs
    }
    ASSERT_TRUE(WaitForWorkerThreads(10s));
    DrainHandOff();
    EXPECT_TRUE(state->stopped);
    EXPECT_FALSE(state->handOffRan);
    EXPECT_EQ(state->buffer.size(), 8192u);
}

TEST_F(ThreadTest, AbandoningFromInsideAHandOffKeepsTheWorkerWaitingUntilItReturns) {
    TupCustomThread thread;
    std::atomic<bool> insideHandOff{false};
    std::atomic<bool> workerWentOnEarly{false};
    std::atomic<bool> workerDone{false};
    thread.SetOnExecute([&](TupThreadRun& run) {
        run.Synchronize([&] {
            insideHandOff = true;
            thread.Terminate(true);  // as a handler that aborts the transfer which called it
            std::this_thread::sleep_for(50ms);
            workerWentOnEarly = workerDone.load();
            insideHandOff = false;
        });
        workerDone = true;
    });
    thread.Execute();
    ASSERT_TRUE(RunUiLoopUntil([&] { return workerDone.load(); }, 10s));
    EXPECT_FALSE(workerWentOnEarly);
}

TEST_F(ThreadTest, WakeHookIsCalledForEveryQueuedCall) {
    std::atomic<int> wakes{0};
    InstallUiThreadHooks({[&] { ++wakes; }, {}});
    TupCustomThread thread;
    int handedOff = 0;
    thread.SetOnExecute([&](TupThreadRun& run) {
        for (int i = 0; i < 3; ++i)
            run.Synchronize([&] { ++handedOff; });
    });
    thread.Execute();
    thread.Thread().WaitFor();
    InstallUiThreadHooks({});
    EXPECT_EQ(handedOff, 3);
    EXPECT_EQ(wakes.load(), 3);
}

TEST(ThreadPriority, MapsThroughTheTable) {
    const std::pair<TupThreadPriority, int> table[] = {
        {TupThreadPriority::tpIdle, -15},        {TupThreadPriority::tpLowest, -2},
        {TupThreadPriority::tpLower, -1},        {TupThreadPriority::tpNormal, 0},
        {TupThreadPriority::tpHigher, 1},        {TupThreadPriority::tpHighest, 2},
        {TupThreadPriority::tpTimeCritical, 15},
    };
    for (const auto& [priority, os] : table) {
        EXPECT_EQ(OsThreadPriority(priority), os);
        EXPECT_EQ(ThreadPriorityFromOs(os), priority);
    }
    EXPECT_EQ(ThreadPriorityFromOs(7), TupThreadPriority::tpNormal);
    EXPECT_EQ(ThreadPriorityFromOs(-20), TupThreadPriority::tpNormal);
}

}  // namespace
