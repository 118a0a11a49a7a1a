// quendra-probe: what the program sees of this machine, as plain text or one JSON document:
// the system facts, the optical drives with their capabilities, the report and the details
// of each drive, or why no drive was found. With "--lookup N" it runs the lookup exchange
// for drive N and prints the addresses the window would open instead of opening them; with
// "--check-update" it runs the start-up update check and prints what the window would do.
// With "--capture FILE" it also writes every command exchanged with the drives, and the
// answers, to FILE, for a bug report and a replay on the simulated drives.

#include <array>
#include <charconv>
#include <exception>
#include <iostream>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "cli/CheckUpdate.h"
#include "cli/DriveFacts.h"
#include "cli/ProbeJson.h"
#include "cli/ProbeLookup.h"
#include "cli/ProbeText.h"
#include "drive/Capture.h"
#include "drive/DriveComponent.h"
#include "drive/RecordingDrivePlatform.h"
#include "lookup/LookupTypes.h"
#include "sysinfo/SysInfo.h"
#include "util/CommandLine.h"
#include "util/ProgramFiles.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"
#include "util/WholeFiles.h"

namespace {

using namespace quendra;

constexpr std::string_view kProgram = "quendra-probe";

// Every option of the program; the usage text is made from this table.
constexpr std::array kOptions{
    CommandOption{"--json", "", "", "print the same facts as one JSON document"},
    CommandOption{"--lookup", "", "N",
                  "post drive N's report to the lookup service and print the addresses it names"},
    CommandOption{"--check-update", "", "",
                  "run the start-up update check and print its events and what the window would "
                  "do"},
    CommandOption{"--capture", "", "FILE",
                  "also write every command sent to the drives and their answers to FILE"},
    CommandOption{"--help", "-h", "", "show this help and exit"},
    CommandOption{"--version", "", "", "show the version and exit"},
};

constexpr std::string_view kDescription =
    "Prints what Quendra sees of this machine: the system facts, the optical drives with their\n"
    "capabilities, the report and the details of each drive, or why no drive was found.";

int UsageError(std::string_view reason) {
    std::cerr << UsageErrorText(kProgram, reason);
    return 2;
}

int Lookup(std::string_view number) {
    unsigned index = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), index);
    if (number.empty() || error != std::errc{} || end != number.data() + number.size())
        return UsageError("not a drive number: '" + std::string(number) + "'");
    TDriveComponent drives;
    drives.InitializeASPI(false, "", "");
    if (index >= drives.DeviceCount()) {
        std::cerr << kProgram << ": no drive " << index << " (" << drives.DeviceCount()
                  << " found)\n";
        return 2;
    }
    const bool succeeded =
        PrintLookup(drives, static_cast<std::uint8_t>(index), DefaultLookupEndpoint(), std::cout);
    return succeeded ? 0 : 1;
}

bool WriteCapture(const std::string& path, std::string_view text) {
    std::string error;
    if (WriteWholeFile(path, text, error))
        return true;
    std::cerr << kProgram << ": cannot write the capture " << path << ": " << error << '\n';
    return false;
}

// `capturePath`: where the commands go, or null for no capture.
int Everything(bool json, const std::string* capturePath) {
    std::shared_ptr<RecordingDrivePlatform> recorder;
    if (capturePath != nullptr) {
        // A file that cannot be written is told before the drives are probed.
        if (!WriteCapture(*capturePath, ""))
            return 1;
        recorder = std::make_shared<RecordingDrivePlatform>(nullptr);
    }
    TDriveComponent drives(recorder);
    const ProbeFacts facts = GatherProbeFacts(drives);
    if (json) {
        const std::string version = Utf16ToUtf8(GetModuleVersionString(ProgramFilePath()));
        std::cout << ProbeJson(facts, version).dump(2) << '\n';
    } else {
        PrintProbeText(facts, std::cout);
    }
    if (recorder) {
        const Capture capture = recorder->CaptureOf(drives.Device);
        if (!WriteCapture(*capturePath, FormatCapture(capture)))
            return 1;
        std::cerr << kProgram << ": " << capture.exchanges.size() << " commands to "
                  << CapturedDrives(capture).size() << " drives written to " << *capturePath
                  << '\n';
    }
    return 0;
}

int Run(std::span<const char* const> args) {
    const auto parsed = ParseCommandLine(args, kOptions);
    if (const auto* reason = std::get_if<std::string>(&parsed))
        return UsageError(*reason);
    const CommandLine& line = std::get<CommandLine>(parsed);
    if (line.Has("--help")) {
        std::cout << UsageText(kProgram, "[OPTION]...", kDescription, kOptions);
        return 0;
    }
    if (line.Has("--version")) {
        std::cout << VersionText(kProgram);
        return 0;
    }
    if (!line.operands.empty())
        return UsageError("unexpected argument '" + line.operands.front() + "'");
    if (line.Has("--check-update")) {
        if (line.Has("--json") || line.Value("--lookup") || line.Has("--capture"))
            return UsageError("--check-update cannot be combined with other options");
        return RunCheckUpdate(std::cout);
    }
    if (const std::string* drive = line.Value("--lookup")) {
        if (line.Has("--json"))
            return UsageError("--json and --lookup cannot be combined");
        if (line.Has("--capture"))
            return UsageError("--capture and --lookup cannot be combined");
        return Lookup(*drive);
    }
    const std::string* capture = line.Value("--capture");
    if (capture != nullptr && capture->empty())
        return UsageError("--capture needs a file name");
    return Everything(line.Has("--json"), capture);
}

}  // namespace

int main(int argc, char* argv[]) {
    quendra::CaptureStartupSystemInfo();
    const std::span<const char* const> args =
        argc > 1 ? std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1))
                 : std::span<const char* const>();
    try {
        return Run(args);
    } catch (const std::exception& error) {
        std::cerr << kProgram << ": " << error.what() << '\n';
        return 1;
    }
}
