#pragma once

// A system information platform whose answers the test sets in advance, and a guard that
// installs a platform for one scope.
//
//   FakeSysPlatform fake;
//   fake.SetVersion(2, 6, 1);
//   fake.SetRegistryString(HKEY_LOCAL_MACHINE, key, u"ProductName", u"Windows 7 Ultimate");
//   ScopedSysPlatform installed(fake.Platform());   // installs and captures start-up values
//
// The functions of Platform() refer to the fake, which must outlive the guard. Fields may
// change while installed; the start-up values stay as captured.

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "sysinfo/SysPlatform.h"

namespace quendra {

struct FakeRegistryValue {
    std::uint32_t type = REG_NONE;
    std::vector<std::uint8_t> data;
    bool readFails = false;  // the type and size can be asked, but reading the data fails
};

struct FakeSysPlatform {
    // Version queries: the plain one answers `version` up to the CSD text, the extended
    // one the whole record.
    bool plainQuerySucceeds = true;
    bool extendedQuerySucceeds = true;
    OSVERSIONINFOEXW version{};
    int extendedQueries = 0;

    std::map<int, int> metrics;

    bool hasNativeSystemInfo = true;
    std::uint16_t nativeArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
    std::uint16_t plainArchitecture = PROCESSOR_ARCHITECTURE_INTEL;

    // Keys and value names are compared without regard to ASCII case.
    std::map<std::tuple<HKEY, std::u16string, std::u16string>, FakeRegistryValue> registry;

    std::vector<std::uint8_t> kernelFixedVersion;  // bytes of kernel32's fixed version block

    // Returned by the system folder query as it is (a zero inside cuts it).
    std::u16string systemDirectory;

    // Processor: leaves not in the map answer zeros.
    bool cpuidAvailable = false;
    std::map<std::uint32_t, CpuidRegisters> cpuid;
    std::vector<std::uint32_t> executedLeaves;

    // Counters: each counter read advances it by `ticksPerRead`; the time-stamp counter
    // reads the current counter value times the clock of the current try. A try begins
    // with the priority read, so try n (from 0) uses cpuMHzPerTry[n], the last entry
    // serving every later try.
    bool hasPerformanceCounter = true;
    std::int64_t counterFrequency = 10'000'000;
    std::int64_t counter = 0;
    std::int64_t ticksPerRead = 10;
    std::vector<double> cpuMHzPerTry = {1000};
    int priorityReads = 0;

    int threadPriority = THREAD_PRIORITY_NORMAL;  // THREAD_PRIORITY_ERROR_RETURN to refuse
    std::vector<int> priorityChanges;

    void SetVersion(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                    std::u16string_view csd = u"");
    // Makes the extended query answer this product type and suite mask.
    void SetProduct(std::uint8_t productType, std::uint16_t suiteMask);

    void SetRegistryString(HKEY root, std::u16string_view key, std::u16string_view name,
                           std::u16string_view text, std::uint32_t type = REG_SZ);
    void SetRegistryBytes(HKEY root, std::u16string_view key, std::u16string_view name,
                          std::uint32_t type, std::vector<std::uint8_t> data);
    void SetRegistryDword(HKEY root, std::u16string_view key, std::u16string_view name,
                          std::uint32_t value);

    // CPUID leaf 0 with this maximum standard leaf and vendor text (12 characters).
    void SetVendor(std::uint32_t maxStandardLeaf, std::string_view vendor);
    // Spreads up to 16 bytes of text over the four registers of one leaf.
    void SetLeafText(std::uint32_t leaf, std::string_view text);

    SysPlatform Platform();
};

// Installs a platform and captures the start-up values from it; on leaving, reinstalls
// the previous platform and captures again.
class ScopedSysPlatform {
public:
    explicit ScopedSysPlatform(SysPlatform platform);
    ~ScopedSysPlatform();
    ScopedSysPlatform(const ScopedSysPlatform&) = delete;
    ScopedSysPlatform& operator=(const ScopedSysPlatform&) = delete;

private:
    SysPlatform previous_;
};

}  // namespace quendra
