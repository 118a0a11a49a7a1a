#include <gtest/gtest.h>

#include <sstream>

#include "cli/ProbeText.h"
#include "cli/SystemFacts.h"
#include "sysinfo/SysInfo.h"
#include "tests/fakes/FakeSysPlatform.h"
#include "tests/sysinfo/SysInfoTestData.h"

namespace {

using namespace quendra;

TEST(SystemFacts, PrintsTheFactsAsTheReportCarriesThem) {
    FakeSysPlatform fake;
    fake.SetVersion(2, 6, 1, u"Service Pack 1");
    fake.SetProduct(VER_NT_WORKSTATION, 0);
    fake.version.wServicePackMajor = 1;
    fake.nativeArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    fake.SetRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, u"ProductName",
                           u"Windows 7 Ultimate");
    fake.SetVendor(1, "AuthenticAMD");
    fake.cpuid[1] = {0x660, 0, 0, 1u << 4};  // family 6, model 6
    fake.cpuMHzPerTry = {2394};
    ScopedSysPlatform installed(fake.Platform());

    std::ostringstream out;
    PrintSystemFacts(GatherSystemFacts(), out);
    EXPECT_EQ(out.str(),
              "Windows version             17 Windows 7\n"
              "Windows edition             25 Ultimate\n"
              "Windows product             Windows 7 Ultimate\n"
              "NT product type             5 Professional\n"
              "Service pack                SP1\n"
              "OS version                  Windows 7 SP1\n"
              "64-bit                      1\n"
              "Processor vendor            AuthenticAMD\n"
              "Manufacturer                AMD\n"
              "Processor name              AMD Athlon\u2122 XP (Model 6)\n"
              "Transmeta information       \n"
              "Clock measured              2394 MHz (718200 cycles in 300 us)\n"
              "Clock normalized            2390 MHz\n");
}

}  // namespace
