#include "cli/SystemFacts.h"

#include <iomanip>
#include <string>
#include <string_view>

#include "sysinfo/SysInfo.h"
#include "util/TextRules.h"
#include "util/Unicode.h"

namespace {

void Line(std::ostream& out, std::string_view label, std::u16string_view value) {
    out << std::left << std::setw(28) << std::string(label) << quendra::Utf16ToUtf8(value) << '\n';
}

std::u16string CodeAndText(unsigned code, std::u16string_view text) {
    std::u16string value = quendra::Decimal(code);
    if (!text.empty())
        value += u" " + std::u16string(text);
    return value;
}

}  // namespace

void PrintSystemFacts(std::ostream& out) {
    using quendra::Decimal;

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
    const auto number = [](std::int64_t value) {
        return value < 0 ? u"-" + Decimal(0 - static_cast<std::uint64_t>(value)) : Decimal(value);
    };
    Line(out, "Clock measured",
         number(f.RawMHz) + u" MHz (" + number(f.MeasuredCycles) + u" cycles in " +
             number(f.MeasuredMicroseconds) + u" us)");
    Line(out, "Clock normalized", number(f.NormalizedMHz) + u" MHz");
}
