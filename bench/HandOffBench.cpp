// The cost of one hand-off round trip (worker -> UI thread -> worker): a worker hands off
// empty calls back to back while the UI thread serves them with the core loop.

#include <benchmark/benchmark.h>

#include <atomic>

#include "update/HandOff.h"
#include "update/upThread.h"

namespace {

void BM_HandOffRoundTrip(benchmark::State& state) {
    const auto handOff = quendra::detail::HandOff::Acquire();
    std::atomic<bool> stop{false};
    quendra::TupCustomThread worker;
    worker.SetOnExecute([&](quendra::TupThreadRun& run) {
        while (!stop)
            run.Synchronize([] {});
    });
    worker.Execute();
    using Wait = quendra::detail::HandOff::WaitResult;
    for (auto _ : state) {
        // Returns once one call has been served; in steady state that is one round trip.
        if (handOff->ServeUntil(nullptr, std::nullopt, true, false) != Wait::Served)
            state.SkipWithError("no hand-off arrived");
    }
    stop = true;
    worker.Thread().WaitFor();
}
BENCHMARK(BM_HandOffRoundTrip)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
