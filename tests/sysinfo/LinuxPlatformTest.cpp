#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "sysinfo/SysInfo.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;

class LinuxPlatform : public testing::Test {
protected:
    void SetUp() override { CaptureStartupSystemInfo(); }
};

TEST_F(LinuxPlatform, VersionIsTheKernelReleaseAndNothingIsRecognised) {
    std::ifstream release("/proc/sys/kernel/osrelease");
    unsigned major = 0;
    unsigned minor = 0;
    char dot = 0;
    release >> major >> dot >> minor;

    EXPECT_EQ(StartupOsVersion().PlatformId, 0u);
    EXPECT_EQ(StartupOsVersion().MajorVersion, major);
    EXPECT_EQ(StartupOsVersion().MinorVersion, minor);
    EXPECT_EQ(StartupOsVersion().CsdVersion, u"");
    EXPECT_EQ(KernelProductVersionHigh(), 0u);
    EXPECT_EQ(StartupWindowsVersion(), 0);
    EXPECT_EQ(GetWindowsVersionCode(), 0);
    EXPECT_EQ(GetNtProductTypeCode(), 0);
    EXPECT_EQ(GetWindowsEditionCode(), 0);
    EXPECT_EQ(GetServicePackNumber(), 0);
    EXPECT_EQ(GetOsVersionText(), u" ");
    EXPECT_EQ(GetWindowsProductText(), u"");
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, u"SOFTWARE", u"Anything", u"d"), u"d");
    EXPECT_EQ(ReadRegistryInteger(HKEY_LOCAL_MACHINE, u"SOFTWARE", u"Anything", 7), 7);
}

TEST_F(LinuxPlatform, ArchitectureAndSystemFolder) {
#if defined(__x86_64__)
    EXPECT_TRUE(Is64BitWindows());
#elif defined(__aarch64__)
    EXPECT_FALSE(Is64BitWindows());
#endif
    const std::u16string folder = GetSystemFolderPath();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), u'/');
    EXPECT_TRUE(std::filesystem::is_directory(Utf16ToUtf8(folder)));
}

TEST_F(LinuxPlatform, CountersAdvanceAtTenMegahertz) {
    using Clock = std::chrono::steady_clock;
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;
    const SysPlatform& platform = CurrentSysPlatform();
    std::int64_t frequency = 0;
    ASSERT_TRUE(platform.QueryPerformanceFrequency(frequency));
    EXPECT_EQ(frequency, 10'000'000);

    // Each counter read lies between two clock reads, so the counter's span lies between
    // the inner and the outer span of the clock, give or take the tick it rounds to.
    const Clock::time_point before0 = Clock::now();
    const std::int64_t first = platform.QueryPerformanceCounter();
    const Clock::time_point after0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const Clock::time_point before1 = Clock::now();
    const std::int64_t second = platform.QueryPerformanceCounter();
    const Clock::time_point after1 = Clock::now();

    const Ticks counted(second - first);
    const Ticks inner = std::chrono::duration_cast<Ticks>(before1 - after0);
    const Ticks outer = std::chrono::duration_cast<Ticks>(after1 - before0);
    EXPECT_GE(counted, inner - Ticks(1));
    EXPECT_LE(counted, outer + Ticks(1));
}

TEST_F(LinuxPlatform, ProcessorIdentificationAndClockAreSane) {
    CpuInfo info;
    ReadCpuInfo(info);
#if defined(__x86_64__) || defined(__i386__)
    ASSERT_TRUE(info.CpuidPresent);
    EXPECT_EQ(CpuInfoText(info.VendorIDString).size(), 12u);
    EXPECT_FALSE(CpuInfoText(info.Manufacturer).empty());
    if (info.FeatureFlags & (1u << 4)) {
        EXPECT_GT(info.Frequency.RawMHz, 0);
        EXPECT_GT(info.Frequency.MeasuredCycles, 0);
        EXPECT_GE(info.Frequency.MeasuredMicroseconds, 300);
        EXPECT_LE(std::abs(info.Frequency.NormalizedMHz - info.Frequency.RawMHz), 50);
    }
#else
    EXPECT_FALSE(info.CpuidPresent);
    EXPECT_EQ(CpuInfoText(info.CpuName), u"Unknown");
#endif
    // The measurement leaves the thread's priority as it found it.
    EXPECT_EQ(CurrentSysPlatform().GetThreadPriority(), THREAD_PRIORITY_NORMAL);
}

}  // namespace
