#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "sysinfo/SysInfo.h"
#include "tests/fakes/FakeSysPlatform.h"

namespace {

using namespace quendra;

TEST(SnapFrequencyTest, MovesToTheNearestUsualClockTiesUp) {
    const std::pair<std::int64_t, std::int64_t> cases[] = {
        {2394, 2390}, {2395, 2400}, {1010, 1020}, {1041, 1033}, {1042, 1050},
        {2661, 2660}, {2665, 2666}, {1333, 1333}, {0, 0},       {99, 100},
        {1054, 1050}, {1055, 1060}, {1073, 1080}, {1085, 1090}, {-5, -5},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(SnapFrequency(in), out) << in;
}

struct LoopCase {
    const char* name;
    std::vector<double> mhzPerTry;
    int tries;
};

TEST(MeasureCpuFrequencyTest, TriesUntilTheThreeLatestAgreeAtMostTwenty) {
    const LoopCase cases[] = {
        {"steady", {2394}, 3},
        {"within 1 MHz of the mean", {1000, 1001, 1002}, 3},
        {"one too far", {1000, 1001, 1003, 1002}, 4},
        {"settles", {1000, 1100, 1200, 1000, 1000, 1000}, 6},
        {"never settles",
         {1000, 2000, 1000, 2000, 1000, 2000, 1000, 2000, 1000, 2000, 1000, 2000,
          1000, 2000, 1000, 2000, 1000, 2000, 1000, 2000, 1000, 2000, 1000},
         20},
    };
    for (const LoopCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSysPlatform fake;
        fake.cpuMHzPerTry = c.mhzPerTry;
        ScopedSysPlatform installed(fake.Platform());
        CpuFrequency frequency{};
        MeasureCpuFrequency(frequency);
        EXPECT_EQ(fake.priorityReads, c.tries);
        // Every try lasts 1000 ticks of the 10 MHz counter, 100 microseconds.
        EXPECT_EQ(frequency.MeasuredMicroseconds, 100 * c.tries);
    }
}

TEST(MeasureCpuFrequencyTest, TotalsAndNormalizedClock) {
    FakeSysPlatform fake;
    fake.cpuMHzPerTry = {2394};
    ScopedSysPlatform installed(fake.Platform());
    CpuFrequency frequency{};
    MeasureCpuFrequency(frequency);
    EXPECT_EQ(frequency.RawMHz, 2394);
    EXPECT_EQ(frequency.NormalizedMHz, 2390);
    EXPECT_EQ(frequency.MeasuredCycles, 3 * 239400);
    EXPECT_EQ(frequency.MeasuredMicroseconds, 300);
}

TEST(MeasureCpuFrequencyTest, ConvertsTicksOfASlowerCounterToMicroseconds) {
    FakeSysPlatform fake;
    fake.counterFrequency = 3'579'545;
    fake.ticksPerRead = 1;
    fake.cpuMHzPerTry = {1500};
    ScopedSysPlatform installed(fake.Platform());
    CpuFrequency frequency{};
    MeasureCpuFrequency(frequency);
    EXPECT_EQ(frequency.RawMHz, 1500);
    EXPECT_EQ(frequency.MeasuredMicroseconds, 838);  // 3 x 1000 ticks / 3.579545 MHz
}

TEST(MeasureCpuFrequencyTest, RunsEachTryTimeCriticalAndRestoresThePriority) {
    FakeSysPlatform fake;
    fake.threadPriority = -1;
    ScopedSysPlatform installed(fake.Platform());
    CpuFrequency frequency{};
    MeasureCpuFrequency(frequency);
    EXPECT_EQ(fake.priorityChanges, (std::vector<int>{15, -1, 15, -1, 15, -1}));
    EXPECT_EQ(fake.threadPriority, -1);
}

TEST(MeasureCpuFrequencyTest, AnUnreadablePriorityIsLeftAlone) {
    FakeSysPlatform fake;
    fake.threadPriority = THREAD_PRIORITY_ERROR_RETURN;
    ScopedSysPlatform installed(fake.Platform());
    CpuFrequency frequency{};
    MeasureCpuFrequency(frequency);
    EXPECT_TRUE(fake.priorityChanges.empty());
    EXPECT_EQ(frequency.RawMHz, 1000);
}

TEST(MeasureCpuFrequencyTest, AnInterruptedTryStillRestoresThePriority) {
    FakeSysPlatform fake;
    SysPlatform platform = fake.Platform();
    int reads = 0;
    const auto counter = platform.QueryPerformanceCounter;
    platform.QueryPerformanceCounter = [&reads, counter] {
        if (++reads == 20)
            throw std::runtime_error("counter gone");
        return counter();
    };
    ScopedSysPlatform installed(std::move(platform));
    CpuFrequency frequency{};
    EXPECT_THROW(MeasureCpuFrequency(frequency), std::runtime_error);
    EXPECT_EQ(fake.priorityChanges, (std::vector<int>{15, 0}));
}

TEST(MeasureCpuFrequencyTest, WithoutAPerformanceCounterNothingIsMeasured) {
    FakeSysPlatform fake;
    fake.hasPerformanceCounter = false;
    ScopedSysPlatform installed(fake.Platform());
    CpuFrequency frequency{};
    MeasureCpuFrequency(frequency);
    EXPECT_EQ(frequency.RawMHz, 0);
    EXPECT_EQ(frequency.NormalizedMHz, 0);
    EXPECT_EQ(frequency.MeasuredCycles, 0);
    EXPECT_EQ(frequency.MeasuredMicroseconds, 0);
    EXPECT_EQ(fake.priorityReads, 0);
}

}  // namespace
