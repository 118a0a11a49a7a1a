#include "cli/ProbeText.h"

#include <cstdio>
#include <iomanip>
#include <sstream>
#include <string>
#include <string_view>

#include "drive/ProfileNames.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

constexpr int kLabelWidth = 26;
constexpr std::string_view kNotReported = "not reported";

std::string_view YesNo(bool value) {
    return value ? "yes" : "no";
}

std::string FromCodePage(std::string_view codePageText) {
    return Utf16ToUtf8(CodePageToUtf16(codePageText));
}

// A code-page text for the terminal, quoted so that its blanks show.
std::string Quoted(std::string_view codePageText) {
    return '"' + FromCodePage(codePageText) + '"';
}

void Line(std::ostream& out, std::string_view label, std::string_view utf8) {
    out << std::left << std::setw(kLabelWidth + 2) << label << utf8 << '\n';
}

void Row(std::ostream& out, std::string_view label, std::string_view value) {
    out << "  " << std::left << std::setw(kLabelWidth) << label << value << '\n';
}

std::string CodeAndText(unsigned code, std::u16string_view text) {
    std::string value = std::to_string(code);
    if (!text.empty())
        value += ' ' + Utf16ToUtf8(text);
    return value;
}

std::string_view RouteText(DriveRoute route) {
    switch (route) {
        case DriveRoute::PassThrough:
            return "SCSI pass-through";
        case DriveRoute::Aspi:
            return "ASPI library";
        case DriveRoute::None:
            break;
    }
    return "none (no drive could be opened and no ASPI library was found)";
}

std::string Address(const TDeviceEntry& entry) {
    return std::to_string(entry.HaId) + ':' + std::to_string(entry.Target) + ':' +
           std::to_string(entry.Lun);
}

std::string ProfileText(std::uint16_t code) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%04X", unsigned{code});
    const std::string_view name = ProfileName(code);
    return name.empty() ? std::string(hex) : std::string(hex) + "  " + std::string(name);
}

std::string MicrocodeText(const std::optional<MicrocodeUpgrade>& upgrade) {
    if (!upgrade)
        return std::string(kNotReported);
    if (!upgrade->supported)
        return "not supported";
    if (!upgrade->m5)
        return "supported";
    return std::string("supported (M5: ") + std::string(YesNo(*upgrade->m5)) + ")";
}

void PrintDetails(const DriveDetails& details, std::ostream& out) {
    Row(out, "Disc present", details.discPresent ? YesNo(*details.discPresent) : kNotReported);
    if (!details.currentProfile)
        Row(out, "Current profile", kNotReported);
    else if (*details.currentProfile == 0)
        Row(out, "Current profile", "none");
    else
        Row(out, "Current profile", ProfileText(*details.currentProfile));
    if (!details.profiles) {
        Row(out, "Profiles", kNotReported);
    } else {
        std::string_view label = "Profiles";
        for (const DriveProfile& profile : *details.profiles) {
            Row(out, label, ProfileText(profile.code) + (profile.current ? "  (current)" : ""));
            label = "";
        }
    }
    Row(out, "Microcode upgrade", MicrocodeText(details.microcodeUpgrade));
    Row(out, "Firmware date",
        details.firmwareDate ? FirmwareDateText(*details.firmwareDate, ' ')
                             : std::string(kNotReported));
}

}  // namespace

void PrintSystemFacts(const SystemFacts& facts, std::ostream& out) {
    Line(out, "Windows version", CodeAndText(facts.windowsVersionCode, facts.windowsVersionText));
    Line(out, "Windows edition", CodeAndText(facts.windowsEditionCode, facts.windowsEditionText));
    Line(out, "Windows product", Utf16ToUtf8(facts.windowsProductText));
    Line(out, "NT product type", CodeAndText(facts.ntProductTypeCode, facts.ntProductTypeText));
    Line(out, "Service pack", Utf16ToUtf8(facts.servicePack));
    Line(out, "OS version", Utf16ToUtf8(facts.osVersion));
    Line(out, "64-bit", facts.is64Bit ? "1" : "0");
    Line(out, "Processor vendor", Utf16ToUtf8(facts.processorVendor));
    Line(out, "Manufacturer", Utf16ToUtf8(facts.manufacturer));
    Line(out, "Processor name", Utf16ToUtf8(facts.processorName));
    Line(out, "Transmeta information", Utf16ToUtf8(facts.transmetaInformation));
    const CpuFrequency& f = facts.clock;
    Line(out, "Clock measured",
         std::to_string(f.RawMHz) + " MHz (" + std::to_string(f.MeasuredCycles) + " cycles in " +
             std::to_string(f.MeasuredMicroseconds) + " us)");
    Line(out, "Clock normalized", std::to_string(f.NormalizedMHz) + " MHz");
}

void PrintDriveListing(const DriveListing& listing, std::ostream& out) {
    Line(out, "Drive route", RouteText(listing.route));
    Line(out, "Drives found", std::to_string(listing.drives.size()));
    for (const NoDriveFinding& finding : listing.whyNone) {
        Line(out, "Cause", finding.text);
        Line(out, "Fix", finding.fix);
    }
    if (listing.drives.empty())
        return;
    out << '\n' << "  #   Address      Letter  Name\n";
    for (const ListedDrive& drive : listing.drives) {
        out << "  " << std::left << std::setw(4) << unsigned{drive.index} << std::setw(13)
            << Address(drive.entry) << std::setw(8)
            << FromCodePage(std::string(1, drive.entry.DriveLetter)) << Quoted(drive.name) << '\n';
    }
}

void PrintDriveAnswers(const ListedDrive& drive, const DriveAnswers& answers, std::ostream& out) {
    out << "Drive " << unsigned{drive.index} << "  " << Quoted(drive.name) << '\n';
    Row(out, "INQUIRY at selection", answers.inquiryAnswered ? "answered" : "failed");
    for (const auto& [capability, can] : answers.capabilities) {
        std::ostringstream label;
        label << std::right << std::setw(2) << unsigned{capability.id} << "  " << capability.name;
        Row(out, label.str(), YesNo(can));
    }
    Row(out, "Max read speed", std::to_string(answers.maxReadSpeed) + " kB/s");
    Row(out, "Max write speed", std::to_string(answers.maxWriteSpeed) + " kB/s");
    Row(out, "Buffer size", std::to_string(answers.bufferSize) + " bytes");
    Row(out, "Burner", YesNo(answers.burner));
    Row(out, "Unit ready", YesNo(answers.unitReady));
    Row(out, "Error", FromCodePage(answers.error));
}

void PrintDriveReport(const ListedDrive& drive, const DriveReport& report, std::ostream& out) {
    out << "\nReport of drive " << unsigned{drive.index} << '\n';
    for (const std::u16string& line : report.lines)
        out << Utf16ToUtf8(line) << '\n';
    out << "\nDetails of drive " << unsigned{drive.index} << '\n';
    PrintDetails(report.details, out);
}

void PrintProbeText(const ProbeFacts& facts, std::ostream& out) {
    PrintSystemFacts(facts.system, out);
    out << '\n';
    PrintDriveListing(facts.listing, out);
    for (std::size_t i = 0; i < facts.listing.drives.size(); ++i) {
        out << '\n';
        PrintDriveAnswers(facts.listing.drives[i], facts.answers[i], out);
    }
    for (std::size_t i = 0; i < facts.listing.drives.size(); ++i)
        PrintDriveReport(facts.listing.drives[i], facts.reports[i], out);
}

}  // namespace quendra
