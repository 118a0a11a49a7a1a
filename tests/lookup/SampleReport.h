#pragma once

// A complete 55-line report and each line's form as it must travel in the request body.

#include <string>
#include <utility>
#include <vector>

#include "report/ReportFields.h"

namespace quendra {

struct SampleLine {
    std::u16string report;
    std::string wire;
};

inline std::vector<SampleLine> SampleReportLines() {
    std::vector<SampleLine> lines = {
        {u"QuendraVersion=1.0.0.0", "QuendraVersion=1.0.0.0"},
        {u"WindowsVersion=Unknown", "WindowsVersion=Unknown"},
        {u"NtProductType=Unknown", "NtProductType=Unknown"},
        {u"WindowsVersionString=Linux 6.1.0-18-amd64",
         "WindowsVersionString=Linux%25206.1.0-18-amd64"},
        {u"WindowsEditionString=\u20AC", "WindowsEditionString=%2520AC"},
        {u"WindowsProductString=x=y", "WindowsProductString=x=y"},
        {u"NtProductTypeString=", "NtProductTypeString="},
        {u"WindowsServicePackVersionString=", "WindowsServicePackVersionString="},
        {u"OSVersionString=Windows 7", "OSVersionString=Windows%25207"},
        {u"64bit=1", "64bit=1"},
        {u"CpuInfo.VendorIDString=GenuineIntel", "CpuInfo.VendorIDString=GenuineIntel"},
        {u"CpuInfo.Manufacturer=Intel", "CpuInfo.Manufacturer=Intel"},
        {u"CpuInfo.CpuName=  Intel(R) Core(TM) \"Caf\u00E9\" @ 3.40GHz",
         "CpuInfo.CpuName=%2520%2520Intel(R)%2520Core(TM)%2520%22Caf%C3%A9%22%2520@%25203.40GHz"},
        {u"CpuInfo.TransmetaSpecific.TransmetaInformations=",
         "CpuInfo.TransmetaSpecific.TransmetaInformations="},
        {u"AspiVersion=", "AspiVersion="},
        {u"WMVCORE Version=", "WMVCORE Version="},
        {u"DeviceName=0:1:0,E: ACME&Co DVD+-RW XR-22 1.02",
         "DeviceName=0:1:0,E:%2520ACME&Co%2520DVD%252B-RW%2520XR-22%25201.02"},
        {u"DeviceNameBrand=ACME&Co", "DeviceNameBrand=ACME&Co"},
        {u"DeviceNameType=DVD+-RW", "DeviceNameType=DVD%252B-RW"},
        {u"DeviceNameModel=XR-22", "DeviceNameModel=XR-22"},
        {u"DeviceNameFirmware=1.02", "DeviceNameFirmware=1.02"},
    };
    const char* capabilities[] = {
        "ReadCDR",       "ReadCDRW",       "ReadDVD",         "ReadDVDRW",         "ReadDVDR",
        "ReadDVDRAM",    "ReadDVDPLUSR",   "ReadDVDPLUSRW",   "ReadDVDPLUSRDL",    "ReadHDDVDROM",
        "ReadHDDVDR",    "ReadHDDVDRAM",   "ReadBDROM",       "ReadBDR",           "ReadBDRE",
        "WriteCDR",      "WriteCDRW",      "WriteDVDR",       "WriteDVDRAM",       "WriteDVDRW",
        "WriteDVDPLUSR", "WriteDVDPLUSRW", "WriteDVDPLUSRDL", "WriteHDDVDR",       "WriteHDDVDRAM",
        "WriteBDR",      "WriteBDRE",      "WriteTest",       "UnderrunProtection"};
    bool yes = true;
    for (const char* key : capabilities) {
        const std::string line = std::string(key) + (yes ? "=YES" : "=NO");
        lines.push_back({std::u16string(line.begin(), line.end()), line});
        yes = !yes;
    }
    lines.push_back({u"DeviceMaxWriteSpeed=0", "DeviceMaxWriteSpeed=0"});
    lines.push_back({u"DeviceMaxReadSpeed=8467", "DeviceMaxReadSpeed=8467"});
    lines.push_back({u"DeviceBufferSize=4294967295", "DeviceBufferSize=4294967295"});
    lines.push_back({u"DeviceIsBurner=YES", "DeviceIsBurner=YES"});
    lines.push_back({u"TestUnitReady=NO", "TestUnitReady=NO"});
    return lines;
}

// The report text: lines joined by CR LF, none after the last.
inline std::u16string SampleReport() {
    std::u16string report;
    for (const auto& line : SampleReportLines()) {
        if (!report.empty())
            report += u"\r\n";
        report += line.report;
    }
    return report;
}

inline ReportFields SampleWords() {
    ReportFields words;
    words.FProgramVersion = u"1.0.0.0";
    words.FDeviceName = u"0:1:0,E: ACME&Co DVD+-RW XR-22 1.02";
    words.FDeviceBrand = u"ACME&Co";
    words.FDeviceType = u"DVD+-RW";
    words.FDeviceModel = u"XR-22";
    words.FDeviceFirmware = u"1.02";
    return words;
}

}  // namespace quendra
