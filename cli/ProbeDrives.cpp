#include "cli/ProbeDrives.h"

#include <iomanip>
#include <sstream>
#include <string>
#include <string_view>

#include "drive/Capabilities.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

constexpr int kLabelWidth = 26;

std::string_view YesNo(bool value) {
    return value ? "yes" : "no";
}

// A code-page text for the terminal, quoted so that its blanks show.
std::string Quoted(std::string_view codePageText) {
    return '"' + Utf16ToUtf8(CodePageToUtf16(codePageText)) + '"';
}

void Row(std::ostream& out, std::string_view label, std::string_view value) {
    out << "  " << std::left << std::setw(kLabelWidth) << label << value << '\n';
}

std::string_view RouteText(const TSCSIDevice& device, bool found) {
    if (!found)
        return "none (no optical drive on this machine and no ASPI library)";
    return device.UsingSPTI ? "SCSI pass-through" : "ASPI library";
}

std::string Address(const TDeviceEntry& entry) {
    return std::to_string(entry.HaId) + ':' + std::to_string(entry.Target) + ':' +
           std::to_string(entry.Lun);
}

}  // namespace

bool PrintDriveList(TDriveComponent& drives, std::ostream& out) {
    const bool found = drives.InitializeASPI(false, "", "");
    out << std::left << std::setw(kLabelWidth + 2) << "Drive route"
        << RouteText(drives.Device, found) << '\n';
    out << std::left << std::setw(kLabelWidth + 2) << "Drives found" << drives.DeviceCount()
        << '\n';
    if (drives.DeviceCount() == 0)
        return found;
    out << '\n' << "  #   Address      Letter  Name\n";
    for (std::uint16_t i = 0; i < drives.DeviceCount(); ++i) {
        const TDeviceEntry& entry = drives.Device.Devices[i];
        out << "  " << std::left << std::setw(4) << i << std::setw(13) << Address(entry)
            << std::setw(8) << Utf16ToUtf8(CodePageToUtf16(std::string(1, entry.DriveLetter)))
            << Quoted(drives.GetDeviceName(static_cast<std::uint8_t>(i))) << '\n';
    }
    return found;
}

void PrintDriveCapabilities(TDriveComponent& drives, std::uint8_t index, std::ostream& out) {
    out << "Drive " << unsigned{index} << "  " << Quoted(drives.GetDeviceName(index)) << '\n';
    const bool answered = drives.SelectDevice(index);
    Row(out, "INQUIRY at selection", answered ? "answered" : "failed");
    for (const DriveCapability& capability : DriveCapabilities()) {
        std::ostringstream label;
        label << std::right << std::setw(2) << unsigned{capability.id} << "  " << capability.name;
        Row(out, label.str(), YesNo(drives.DeviceCan(capability.id)));
    }
    Row(out, "Max read speed", std::to_string(drives.DeviceMaxReadSpeed()) + " kB/s");
    Row(out, "Max write speed", std::to_string(drives.DeviceMaxWriteSpeed()) + " kB/s");
    Row(out, "Buffer size", std::to_string(drives.DeviceBufferSize()) + " bytes");
    Row(out, "Burner", YesNo(drives.DeviceIsBurner()));
    Row(out, "Unit ready", YesNo(drives.TestUnitReady()));
    Row(out, "Error", Utf16ToUtf8(CodePageToUtf16(drives.ErrorString())));
}

void PrintDrives(TDriveComponent& drives, std::ostream& out) {
    PrintDriveList(drives, out);
    for (std::uint16_t i = 0; i < drives.DeviceCount(); ++i) {
        out << '\n';
        PrintDriveCapabilities(drives, static_cast<std::uint8_t>(i), out);
    }
}

}  // namespace quendra
