// quendra-probe: what the program sees of this machine, as plain text: the system facts,
// the optical drives with their capabilities, and the report of each drive. With
// "--lookup N" it runs the lookup exchange for drive N and prints the addresses the window
// would open instead of opening them.

#include <charconv>
#include <exception>
#include <iostream>
#include <string_view>

#include "cli/ProbeDrives.h"
#include "cli/ProbeReport.h"
#include "cli/SystemFacts.h"
#include "drive/DriveComponent.h"
#include "lookup/LookupTypes.h"
#include "sysinfo/SysInfo.h"

namespace {

using namespace quendra;

constexpr std::string_view kUsage =
    "usage: quendra-probe             system facts, drives, capabilities and reports\n"
    "       quendra-probe --lookup N  post drive N's report to the lookup service and\n"
    "                                 print the addresses it names\n";

int Lookup(std::string_view number) {
    unsigned index = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), index);
    if (error != std::errc{} || end != number.data() + number.size()) {
        std::cerr << "quendra-probe: not a drive number: " << number << '\n' << kUsage;
        return 2;
    }
    TDriveComponent drives;
    drives.InitializeASPI(false, "", "");
    if (index >= drives.DeviceCount()) {
        std::cerr << "quendra-probe: no drive " << index << " (" << drives.DeviceCount()
                  << " found)\n";
        return 2;
    }
    const bool succeeded =
        PrintLookup(drives, static_cast<std::uint8_t>(index), DefaultLookupEndpoint(), std::cout);
    return succeeded ? 0 : 1;
}

int Everything() {
    PrintSystemFacts(std::cout);
    std::cout << '\n';
    TDriveComponent drives;
    PrintDrives(drives, std::cout);
    PrintReports(drives, std::cout);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    quendra::CaptureStartupSystemInfo();

    const std::string_view first = argc > 1 ? argv[1] : "";
    try {
        if (argc == 1)
            return Everything();
        if (argc == 3 && first == "--lookup")
            return Lookup(argv[2]);
        if (argc == 2 && (first == "--help" || first == "-h")) {
            std::cout << kUsage;
            return 0;
        }
        std::cerr << kUsage;
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "quendra-probe: " << error.what() << '\n';
        return 1;
    }
}
