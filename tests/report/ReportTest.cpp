#include "report/Report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "demo/aspi/SimulatedDrive.h"
#include "drive/DriveComponent.h"
#include "tests/fakes/FakeDrivePlatform.h"
#include "tests/fakes/FakeSysPlatform.h"
#include "tests/fakes/TempFolder.h"
#include "util/TextRules.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;

namespace fs = std::filesystem;

constexpr std::u16string_view kCurrentVersion = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// Windows 7 Ultimate SP1 on a 64-bit workstation with a processor whose brand string
// begins with blanks; the system folder is a folder of the test's own.
struct SystemFacts {
    FakeSysPlatform fake;
    TempFolder systemFolder{"quendra-report"};
    const fs::path& folder = systemFolder.path();

    SystemFacts() {
        fake.SetVersion(2, 6, 1, u"Service Pack 1");
        fake.SetProduct(VER_NT_WORKSTATION, 0);
        fake.version.wServicePackMajor = 1;
        fake.SetRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersion, u"ProductName",
                               u"Windows 7 Ultimate");
        fake.nativeArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
        fake.cpuidAvailable = true;
        fake.SetVendor(0, "GenuineIntel");
        fake.cpuid[0x80000000] = {0x80000004, 0, 0, 0};
        fake.SetLeafText(0x80000002, "       Intel(R) ");
        fake.SetLeafText(0x80000003, "Test CPU 1.00GHz");
        fake.systemDirectory = Utf8ToUtf16(folder.string());
    }

    // A library file carrying this test program's own version note.
    void AddLibrary(const char* name) {
        fs::copy_file(fs::read_symlink("/proc/self/exe"), folder / name);
    }
};

struct DriveSetup {
    std::shared_ptr<FakeDrivePlatform> platform = std::make_shared<FakeDrivePlatform>();
    std::shared_ptr<SimulatedDrive> burner = std::make_shared<SimulatedDrive>(drives::DvdBurner());
    TDriveComponent drives{platform};

    DriveSetup() {
        platform->AddDrive('E', burner, ScsiAddress{1, 0, 0});
        drives.InitializeASPI(false, "", "");
        drives.SelectDevice(0);
    }
};

std::u16string Lines(std::initializer_list<std::u16string_view> lines) {
    std::u16string text;
    for (const auto line : lines) {
        if (!text.empty())
            text += u"\r\n";
        text += line;
    }
    return text;
}

std::vector<std::u16string> ReportLines(const std::u16string& report) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = report.find(u"\r\n", start)) != std::u16string::npos;) {
        lines.push_back(report.substr(start, at - start));
        start = at + 2;
    }
    lines.push_back(report.substr(start));
    return lines;
}

TEST(Report, WholeReportForASimulatedBurner) {
    SystemFacts system;
    system.AddLibrary("wnaspi32.dll");
    ScopedSysPlatform installed(system.fake.Platform());
    DriveSetup setup;

    ReportFields fields;
    fields.FProgramVersion = u"1.0.0.0";
    const std::u16string report = BuildReport(fields, setup.drives, 0);

    const std::u16string expected = Lines({
        u"QuendraVersion=1.0.0.0",
        u"WindowsVersion=Win7",
        u"NtProductType=Professional",
        u"WindowsVersionString=Windows 7",
        u"WindowsEditionString=Ultimate",
        u"WindowsProductString=Windows 7 Ultimate",
        u"NtProductTypeString=Professional",
        u"WindowsServicePackVersionString=SP1",
        u"OSVersionString=Windows 7 SP1",
        u"64bit=1",
        u"CpuInfo.VendorIDString=GenuineIntel",
        u"CpuInfo.Manufacturer=Intel",
        u"CpuInfo.CpuName=       Intel(R) Test CPU 1.00GHz",
        u"CpuInfo.TransmetaSpecific.TransmetaInformations=",
        u"AspiVersion=1.0.0.0",
        u"WMVCORE Version=",
        u"DeviceName=1:0:0,E: ACME     DVDRAM XR-22     1.02 ",
        u"DeviceNameBrand=ACME",
        u"DeviceNameType=DVDRAM",
        u"DeviceNameModel=XR-22",
        u"DeviceNameFirmware=1.02",
        u"ReadCDR=YES",
        u"ReadCDRW=YES",
        u"ReadDVD=YES",
        u"ReadDVDRW=YES",
        u"ReadDVDR=YES",
        u"ReadDVDRAM=YES",
        u"ReadDVDPLUSR=YES",
        u"ReadDVDPLUSRW=YES",
        u"ReadDVDPLUSRDL=YES",
        u"ReadHDDVDROM=NO",
        u"ReadHDDVDR=NO",
        u"ReadHDDVDRAM=NO",
        u"ReadBDROM=NO",
        u"ReadBDR=NO",
        u"ReadBDRE=NO",
        u"WriteCDR=YES",
        u"WriteCDRW=YES",
        u"WriteDVDR=YES",
        u"WriteDVDRAM=YES",
        u"WriteDVDRW=YES",
        u"WriteDVDPLUSR=YES",
        u"WriteDVDPLUSRW=YES",
        u"WriteDVDPLUSRDL=YES",
        u"WriteHDDVDR=NO",
        u"WriteHDDVDRAM=NO",
        u"WriteBDR=NO",
        u"WriteBDRE=NO",
        u"WriteTest=YES",
        u"UnderrunProtection=YES",
        u"DeviceMaxWriteSpeed=5540",
        u"DeviceMaxReadSpeed=6800",
        u"DeviceBufferSize=0",
        u"DeviceIsBurner=YES",
        u"TestUnitReady=YES",
    });
    EXPECT_EQ(Utf16ToUtf8(report), Utf16ToUtf8(expected));
    EXPECT_EQ(ReportLines(report).size(), 55u);
    EXPECT_FALSE(report.ends_with(u"\n"));

    EXPECT_EQ(fields.FDeviceName, u"1:0:0,E: ACME     DVDRAM XR-22     1.02 ");
    EXPECT_EQ(fields.FDeviceModel, u"XR-22");
    // The two speed lines probe the drive twice more after the selection's probe.
    EXPECT_EQ(setup.burner->Count(0x5A), 3u * 3u);
}

TEST(Report, VersionNamesTheReportUses) {
    const std::pair<std::uint8_t, std::u16string_view> versions[] = {
        {0, u"Unknown"}, {5, u"WinME"}, {6, u"WinNT3"}, {7, u"WinNT3"}, {8, u"WinNT3"},
        {9, u"WinNT4"},  {17, u"Win7"}, {19, u"Win8"},  {20, u""},      {21, u"WinServer2012"},
        {22, u""},       {23, u""},     {24, u""},      {200, u""},
    };
    for (const auto& [code, name] : versions)
        EXPECT_EQ(WindowsVersionName(code), name) << +code;
    EXPECT_EQ(NtProductTypeName(0), u"Unknown");
    EXPECT_EQ(NtProductTypeName(1), u"WorkStation");
    EXPECT_EQ(NtProductTypeName(8), u"WebEdition");
    EXPECT_EQ(NtProductTypeName(9), u"");
}

TEST(Report, LinesWhoseRulesAreEasyToGetWrong) {
    SystemFacts system;
    // Windows 8.1 through the 6.2 rule: its code has no name in the report.
    system.fake.SetVersion(2, 6, 2);
    system.fake.SetRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersion, u"ProductName",
                                  u"Windows 8.1 Pro");
    system.AddLibrary("WMVCORE.DLL");
    ScopedSysPlatform installed(system.fake.Platform());

    // A reader whose page shows DVD-R reading but no DVD-RW feature.
    auto platform = std::make_shared<FakeDrivePlatform>();
    platform->AddDrive('D', std::make_shared<SimulatedDrive>(drives::DvdReader()),
                       ScsiAddress{12, 0, 0});
    TDriveComponent drives(platform);
    drives.InitializeASPI(false, "", "");
    drives.SelectDevice(0);
    drives.Device.DeviceBufferSize = 4294967295u;

    ReportFields fields;
    const auto lines = ReportLines(BuildReport(fields, drives, 0));
    ASSERT_EQ(lines.size(), 55u);
    EXPECT_EQ(lines[1], u"WindowsVersion=");
    EXPECT_EQ(lines[3], u"WindowsVersionString=Windows 8.1");
    EXPECT_EQ(lines[14], u"AspiVersion=");
    EXPECT_EQ(lines[15], u"WMVCORE Version=1.0.0.0");
    EXPECT_EQ(lines[16].substr(0, 21), u"DeviceName=1::0:0,D: ");
    EXPECT_EQ(lines[17], u"DeviceNameBrand=ACME");
    EXPECT_EQ(lines[23], u"ReadDVD=YES");
    EXPECT_EQ(lines[24], u"ReadDVDRW=NO");
    EXPECT_EQ(lines[25], u"ReadDVDR=YES");
    EXPECT_EQ(lines[52], u"DeviceBufferSize=4294967295");
    EXPECT_EQ(lines[53], u"DeviceIsBurner=NO");
}

TEST(Report, EmptySystemFolderAndNoDriveSelected) {
    SystemFacts system;
    system.fake.systemDirectory.clear();
    ScopedSysPlatform installed(system.fake.Platform());
    DriveSetup setup;

    ReportFields fields;
    fields.FDeviceBrand = u"stale";
    const auto lines = ReportLines(BuildReport(fields, setup.drives, -1));
    ASSERT_EQ(lines.size(), 55u);
    // "/wnaspi32.dll" at the root: no such file here, so both versions are empty.
    EXPECT_EQ(lines[14], u"AspiVersion=");
    EXPECT_EQ(lines[15], u"WMVCORE Version=");
    EXPECT_EQ(lines[16], u"DeviceName=");
    EXPECT_EQ(fields.FDeviceName, u"");
    EXPECT_EQ(fields.FDeviceBrand, u"");
    EXPECT_EQ(lines[54], u"TestUnitReady=YES");  // the drive selected before stays current
}

}  // namespace
