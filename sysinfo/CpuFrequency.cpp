#include "sysinfo/CpuFrequency.h"

#include <array>
#include <cmath>
#include <limits>

#include "sysinfo/SysPlatform.h"

namespace quendra {

namespace {

constexpr std::int64_t kSettleTicks = 50;
constexpr std::int64_t kMeasureTicks = 1000;
constexpr int kMinTries = 3;
constexpr int kMaxTries = 20;

// Nearest integer, ties to even; values beyond the 64-bit range are clamped and NaN gives 0.
std::int64_t RoundToInt64(double value) {
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded >= 0x1p63)
        return std::numeric_limits<std::int64_t>::max();
    if (rounded < -0x1p63)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(rounded);
}

// Wrapping arithmetic, so an absurd cycle count from a faulty counter cannot overflow.
std::int64_t Times(std::int64_t value, std::int64_t factor) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(value) *
                                     static_cast<std::uint64_t>(factor));
}
std::int64_t Plus(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
std::int64_t Minus(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}

// Runs the calling thread at time-critical priority while it lives, when the platform
// reports the thread's priority; restores the saved priority on every exit.
class TimeCriticalScope {
public:
    explicit TimeCriticalScope(const SysPlatform& platform)
        : platform_(platform), saved_(platform.GetThreadPriority()) {
        if (saved_ != THREAD_PRIORITY_ERROR_RETURN) {
            platform_.SetThreadPriority(THREAD_PRIORITY_TIME_CRITICAL);
        }
    }
    ~TimeCriticalScope() {
        if (saved_ != THREAD_PRIORITY_ERROR_RETURN)
            platform_.SetThreadPriority(saved_);
    }
    TimeCriticalScope(const TimeCriticalScope&) = delete;
    TimeCriticalScope& operator=(const TimeCriticalScope&) = delete;

private:
    const SysPlatform& platform_;
    int saved_;
};

struct TryResult {
    std::int64_t cycles;
    std::int64_t ticks;
};

// Lets the counter settle for 50 ticks, then counts time-stamp cycles over 1000 ticks.
TryResult RunTry(const SysPlatform& platform) {
    std::int64_t t0 = platform.QueryPerformanceCounter();
    const TimeCriticalScope priority(platform);
    std::int64_t t = t0;
    std::uint64_t c0 = 0;
    do {
        t = platform.QueryPerformanceCounter();
        c0 = platform.ReadTimeStampCounter();
    } while (t - t0 < kSettleTicks);
    t0 = t;
    std::uint64_t c1 = c0;
    do {
        t = platform.QueryPerformanceCounter();
        c1 = platform.ReadTimeStampCounter();
    } while (t - t0 < kMeasureTicks);
    return {static_cast<std::int64_t>(c1 - c0), Minus(t, t0)};
}

// Each of the three latest results lies within 1 MHz of their mean.
bool LatestAgree(const std::array<std::int64_t, 3>& latest) {
    const double sum = static_cast<double>(latest[0]) + static_cast<double>(latest[1]) +
                       static_cast<double>(latest[2]);
    for (const std::int64_t f : latest) {
        if (std::fabs(3.0 * static_cast<double>(f) - sum) > 3)
            return false;
    }
    return true;
}

}  // namespace

void MeasureCpuFrequency(CpuFrequency& frequency) {
    const SysPlatform& platform = CurrentSysPlatform();
    std::int64_t counterFrequency = 0;
    if (!platform.QueryPerformanceFrequency(counterFrequency) || counterFrequency <= 0)
        return;

    std::array<std::int64_t, 3> latest = {0, 0, 0};  // F1 (latest), F2, F3
    int tries = 0;
    std::int64_t totalCycles = 0;
    double totalMicroseconds = 0;
    while (tries < kMinTries || (tries < kMaxTries && !LatestAgree(latest))) {
        ++tries;
        latest[2] = latest[1];
        latest[1] = latest[0];
        const TryResult result = RunTry(platform);
        const double microseconds =
            static_cast<double>(result.ticks) * 100000.0 / (counterFrequency / 10.0);
        totalCycles = Plus(totalCycles, result.cycles);
        totalMicroseconds += microseconds;
        latest[0] = RoundToInt64(static_cast<double>(result.cycles) / microseconds);
    }

    const double cycles = static_cast<double>(totalCycles);
    const std::int64_t raw = RoundToInt64(cycles / totalMicroseconds);
    std::int64_t tenths =
        RoundToInt64(static_cast<double>(Times(totalCycles, 10)) / totalMicroseconds);
    const std::int64_t hundredths =
        RoundToInt64(static_cast<double>(Times(totalCycles, 100)) / totalMicroseconds);
    std::int64_t corrected = raw;
    if (Minus(hundredths, Times(tenths, 10)) >= 6)
        tenths = Plus(tenths, 1);
    if (Minus(tenths, Times(raw, 10)) >= 6)
        corrected = Plus(corrected, 1);

    frequency.RawMHz = raw;
    frequency.NormalizedMHz = SnapFrequency(corrected);
    frequency.MeasuredCycles = totalCycles;
    frequency.MeasuredMicroseconds = RoundToInt64(totalMicroseconds);
}

std::int64_t SnapFrequency(std::int64_t mhz) {
    if (mhz < 0)
        return mhz;
    static constexpr std::array<std::int64_t, 9> kSteps = {0, 20, 33, 50, 60, 66, 80, 90, 100};
    const std::int64_t r = mhz % 100;
    std::size_t upper = 1;
    while (kSteps[upper] <= r)
        ++upper;
    const std::int64_t below = r - kSteps[upper - 1];
    const std::int64_t above = kSteps[upper] - r;
    return below < above ? mhz - below : mhz + above;
}

}  // namespace quendra
