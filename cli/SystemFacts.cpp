#include "cli/SystemFacts.h"

#include <iomanip>
#include <string>
#include <string_view>

#include "sysinfo/SysInfo.h"
#include "util/TextRules.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

void Line(std::ostream& out, std::string_view label, std::string_view utf8) {
    out << std::left << std::setw(28) << label << utf8 << '\n';
}

void Line(std::ostream& out, std::string_view label, std::u16string_view value) {
    Line(out, label, Utf16ToUtf8(value));
}

std::string CodeAndText(unsigned code, std::u16string_view text) {
    std::string value = std::to_string(code);
    if (!text.empty()) {
        value += ' ';
        value += Utf16ToUtf8(text);
    }
    return value;
}

}  // namespace

void PrintSystemFacts(std::ostream& out) {
    Line(out, "Windows version", CodeAndText(GetWindowsVersionCode(), GetWindowsVersionText()));
    Line(out, "Windows edition", CodeAndText(GetWindowsEditionCode(), GetWindowsEditionText()));
    Line(out, "Windows product", GetWindowsProductText());
    Line(out, "NT product type", CodeAndText(GetNtProductTypeCode(), GetNtProductTypeText()));
    Line(out, "Service pack", GetServicePackText());
    Line(out, "OS version", GetOsVersionText());
    Line(out, "64-bit", Is64BitWindows() ? u"1" : u"0");

    CpuInfo cpu;
    ReadCpuInfo(cpu);
    Line(out, "Processor vendor", CpuInfoText(cpu.VendorIDString));
    Line(out, "Manufacturer", CpuInfoText(cpu.Manufacturer));
    Line(out, "Processor name", CpuInfoText(cpu.CpuName));
    Line(out, "Transmeta information", CpuInfoText(cpu.TransmetaSpecific.TransmetaInformations));

    const CpuFrequency& f = cpu.Frequency;
    Line(out, "Clock measured",
         std::to_string(f.RawMHz) + " MHz (" + std::to_string(f.MeasuredCycles) + " cycles in " +
             std::to_string(f.MeasuredMicroseconds) + " us)");
    Line(out, "Clock normalized", std::to_string(f.NormalizedMHz) + " MHz");
}

}  // namespace quendra
