#include "report/Report.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "drive/DriveComponent.h"
#include "report/DriveWords.h"
#include "sysinfo/SysInfo.h"
#include "util/TextRules.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

struct CapabilityLine {
    std::u16string_view key;
    std::uint8_t id;
};

// "ReadDVD=" and "ReadDVDR=" both ask id 4.
constexpr std::array<CapabilityLine, 29> kCapabilityLines = {{
    {u"ReadCDR=", 1},
    {u"ReadCDRW=", 2},
    {u"ReadDVD=", 4},
    {u"ReadDVDRW=", 5},
    {u"ReadDVDR=", 4},
    {u"ReadDVDRAM=", 3},
    {u"ReadDVDPLUSR=", 6},
    {u"ReadDVDPLUSRW=", 7},
    {u"ReadDVDPLUSRDL=", 8},
    {u"ReadHDDVDROM=", 9},
    {u"ReadHDDVDR=", 10},
    {u"ReadHDDVDRAM=", 11},
    {u"ReadBDROM=", 12},
    {u"ReadBDR=", 13},
    {u"ReadBDRE=", 14},
    {u"WriteCDR=", 21},
    {u"WriteCDRW=", 22},
    {u"WriteDVDR=", 24},
    {u"WriteDVDRAM=", 23},
    {u"WriteDVDRW=", 25},
    {u"WriteDVDPLUSR=", 26},
    {u"WriteDVDPLUSRW=", 27},
    {u"WriteDVDPLUSRDL=", 28},
    {u"WriteHDDVDR=", 29},
    {u"WriteHDDVDRAM=", 30},
    {u"WriteBDR=", 31},
    {u"WriteBDRE=", 32},
    {u"WriteTest=", 41},
    {u"UnderrunProtection=", 42},
}};

std::u16string SystemLibraryVersion(std::u16string_view name) {
    std::u16string path = GetSystemFolderPath();
    if (path.empty() || path.back() != u'/')
        path += u'/';
    return GetModuleVersionString(path + std::u16string(name));
}

std::u16string_view YesNo(bool value) {
    return value ? u"YES" : u"NO";
}

class ReportWriter {
public:
    void Line(std::u16string_view key, std::u16string_view value) {
        text_.append(key);
        text_.append(value);
        text_.append(u"\r\n");
    }
    std::u16string Finish(std::u16string_view key, std::u16string_view value) {
        text_.append(key);
        text_.append(value);
        return std::move(text_);
    }

private:
    std::u16string text_;
};

}  // namespace

std::u16string WindowsVersionName(std::uint8_t code) {
    static constexpr std::array<std::u16string_view, 22> kNames = {
        u"Unknown",         u"Win95",   u"Win95OSR2", u"Win98",        u"Win98SE",       u"WinME",
        u"WinNT3",          u"WinNT3",  u"WinNT3",    u"WinNT4",       u"Win2000",       u"WinXP",
        u"Win2003",         u"WinXP64", u"Win2003R2", u"WinVista",     u"WinServer2008", u"Win7",
        u"WinServer2008R2", u"Win8",    u"",          u"WinServer2012"};
    return code < kNames.size() ? std::u16string(kNames[code]) : std::u16string();
}

std::u16string NtProductTypeName(std::uint8_t code) {
    static constexpr std::array<std::u16string_view, 9> kNames = {
        u"Unknown",      u"WorkStation",      u"Server",     u"AdvancedServer", u"Personal",
        u"Professional", u"DatacenterServer", u"Enterprise", u"WebEdition"};
    return code < kNames.size() ? std::u16string(kNames[code]) : std::u16string();
}

std::u16string BuildReport(ReportFields& fields, TDriveComponent& drives, int selectorIndex) {
    ReportWriter report;

    const std::uint8_t versionCode = GetWindowsVersionCode();
    report.Line(u"QuendraVersion=", fields.FProgramVersion);
    report.Line(u"WindowsVersion=", WindowsVersionName(versionCode));
    report.Line(u"NtProductType=", NtProductTypeName(GetNtProductTypeCode()));
    report.Line(u"WindowsVersionString=", GetWindowsVersionText());
    report.Line(u"WindowsEditionString=", GetWindowsEditionText());
    report.Line(u"WindowsProductString=", GetWindowsProductText());
    report.Line(u"NtProductTypeString=", GetNtProductTypeText());
    report.Line(u"WindowsServicePackVersionString=", GetServicePackText());
    report.Line(u"OSVersionString=", GetOsVersionText());
    report.Line(u"64bit=", Is64BitWindows() ? u"1" : u"0");

    CpuInfo cpu{};
    ReadCpuInfo(cpu);
    report.Line(u"CpuInfo.VendorIDString=", CpuInfoText(cpu.VendorIDString));
    report.Line(u"CpuInfo.Manufacturer=", CpuInfoText(cpu.Manufacturer));
    report.Line(u"CpuInfo.CpuName=", CpuInfoText(cpu.CpuName));
    report.Line(u"CpuInfo.TransmetaSpecific.TransmetaInformations=",
                CpuInfoText(cpu.TransmetaSpecific.TransmetaInformations));

    report.Line(u"AspiVersion=", SystemLibraryVersion(u"wnaspi32.dll"));
    report.Line(u"WMVCORE Version=", SystemLibraryVersion(u"WMVCORE.DLL"));

    report.Line(u"DeviceName=", GetSelectedDeviceName(drives, selectorIndex));
    SplitDeviceWords(GetSelectedDeviceName(drives, selectorIndex), fields);
    report.Line(u"DeviceNameBrand=", fields.FDeviceBrand);
    report.Line(u"DeviceNameType=", fields.FDeviceType);
    report.Line(u"DeviceNameModel=", fields.FDeviceModel);
    report.Line(u"DeviceNameFirmware=", fields.FDeviceFirmware);

    for (const CapabilityLine& line : kCapabilityLines) {
        report.Line(line.key, YesNo(drives.DeviceCan(line.id)));
    }

    report.Line(u"DeviceMaxWriteSpeed=", Decimal(drives.DeviceMaxWriteSpeed()));
    report.Line(u"DeviceMaxReadSpeed=", Decimal(drives.DeviceMaxReadSpeed()));
    report.Line(u"DeviceBufferSize=", Decimal(drives.DeviceBufferSize()));
    report.Line(u"DeviceIsBurner=", YesNo(drives.DeviceIsBurner()));
    return report.Finish(u"TestUnitReady=", YesNo(drives.TestUnitReady()));
}

}  // namespace quendra
