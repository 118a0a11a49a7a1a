// A capture of a whole probe, replayed on the pass-through route and through an ASPI
// library, gives the captured run's drive list, answers, reports and details; so does the
// capture of the emulated drives in tests/qemu/captures, made under QEMU.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <variant>

#include "cli/DriveFacts.h"
#include "cli/ProbeText.h"
#include "drive/RecordingDrivePlatform.h"
#include "tests/drive/DriveRig.h"
#include "util/ByteOrder.h"
#include "util/WholeFiles.h"

namespace {

using namespace quendra;

// quendra-probe's text from the drive list on: the system facts above it hold a clock
// measurement.
std::string DriveOutput(TDriveComponent& drives) {
    std::ostringstream out;
    PrintProbeText(GatherProbeFacts(drives), out);
    const std::string text = out.str();
    const std::size_t list = text.find("Drive route");
    return list == std::string::npos ? text : text.substr(list);
}

// `text` without its first line (the drive route).
std::string WithoutRoute(const std::string& text) {
    return text.substr(std::min(text.find('\n') + 1, text.size()));
}

// `text` without the report lines about the program and the system, which differ between
// machines.
std::string WithoutSystemLines(const std::string& text) {
    static const char* const kSystemKeys[] = {"QuendraVersion=",
                                              "WindowsVersion=",
                                              "NtProductType=",
                                              "WindowsVersionString=",
                                              "WindowsEditionString=",
                                              "WindowsProductString=",
                                              "NtProductTypeString=",
                                              "WindowsServicePackVersionString=",
                                              "OSVersionString=",
                                              "64bit=",
                                              "CpuInfo.",
                                              "AspiVersion=",
                                              "WMVCORE Version="};
    std::istringstream lines(text);
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        const bool system = std::any_of(std::begin(kSystemKeys), std::end(kSystemKeys),
                                        [&](const char* key) { return line.rfind(key, 0) == 0; });
        if (!system)
            kept += line + '\n';
    }
    return kept;
}

Capture Parsed(const std::string& text) {
    auto parsed = ParseCapture(text);
    if (auto* error = std::get_if<CaptureError>(&parsed))
        ADD_FAILURE() << CaptureErrorText(*error);
    return std::get_if<Capture>(&parsed) ? std::get<Capture>(parsed) : Capture{};
}

// The output of a probe on the drives of `capture`, on the pass-through route.
std::string ReplayedByPassThrough(const Capture& capture) {
    auto platform = std::make_shared<FakeDrivePlatform>();
    platform->AddCapturedDrives(capture);
    TDriveComponent drives(platform);
    return DriveOutput(drives);
}

// The same through an ASPI library whose requests complete later.
std::string ReplayedByAspi(const Capture& capture) {
    auto platform = std::make_shared<FakeDrivePlatform>();
    auto bus = std::make_shared<SimulatedAspiBus>();
    bus->AttachCapture(capture);
    platform->InstallAspiLibrary("WNASPI32.DLL", bus, SimulatedAspiBus::Completion::Pending);
    TDriveComponent drives(platform);
    return DriveOutput(drives);
}

DriveTable EmptyBurner() {
    DriveTable table = drives::DvdBurner();
    table.currentProfile = 0;
    table.notReady = kMediumNotPresent;
    return table;
}

struct Machine {
    const char* name;
    bool aspi;  // the drives are on the ASPI route
    std::function<void(FakeDrivePlatform&)> setUp;
};

// Every kind of simulated drive, the last one without an address (listed last on either
// route: the ASPI scan lists by address, and it gets the next adapter number); answers
// zero-filled as SG_IO fills them, or leaving the bytes of earlier answers as an ASPI library
// does.
void PassThroughDrives(FakeDrivePlatform& platform) {
    platform.AddDrive('D', MakeDrive(drives::DvdReader()), Address(1));
    platform.AddDrive('E', MakeDrive(drives::DvdBurner()), Address(1, 1));
    platform.AddDrive('F', MakeDrive(drives::OldCdRom()), Address(1, 2));
    platform.AddDrive('G', MakeDrive(drives::DvdPlusOnlyWriter()), Address(1, 3));
    platform.AddDrive('H', MakeDrive(EmptyBurner()));
}

const Machine kMachines[] = {
    {"PassThroughZeroFilled", false,
     [](FakeDrivePlatform& platform) {
         PassThroughDrives(platform);
         platform.zeroFillLikeSgIo = true;
     }},
    {"PassThroughLeftOverBytes", false, PassThroughDrives},
    {"AspiSometimesPending", true,
     [](FakeDrivePlatform& platform) {
         auto bus = std::make_shared<SimulatedAspiBus>();
         bus->Attach(0, 0, 0, MakeDrive(drives::DvdReader()), 'D');
         bus->Attach(0, 1, 0, MakeDrive(EmptyBurner()), 'E');
         bus->Attach(0, 2, 1, MakeDrive(drives::DvdBurner()), 'F');
         platform.InstallAspiLibrary("WNASPI32.DLL", bus, SimulatedAspiBus::Completion::Alternate);
     }},
};

void PrintTo(const Machine& machine, std::ostream* out) {
    *out << machine.name;
}

class ProbeCaptureReplay : public testing::TestWithParam<Machine> {};

TEST_P(ProbeCaptureReplay, GivesTheCapturedRunsDriveOutputOnEitherRoute) {
    auto original = std::make_shared<FakeDrivePlatform>();
    GetParam().setUp(*original);
    auto recorder = std::make_shared<RecordingDrivePlatform>(original);
    TDriveComponent drives(recorder);
    const std::string expected = DriveOutput(drives);
    ASSERT_NE(expected.find("Details of drive 2"), std::string::npos) << expected;
    // The capture travels as text.
    const Capture capture = Parsed(FormatCapture(recorder->CaptureOf(drives.Device)));

    const std::string byPassThrough = ReplayedByPassThrough(capture);
    const std::string byAspi = ReplayedByAspi(capture);
    EXPECT_EQ(GetParam().aspi ? byAspi : byPassThrough, expected);
    EXPECT_EQ(WithoutRoute(byPassThrough), WithoutRoute(expected));
    EXPECT_EQ(WithoutRoute(byAspi), WithoutRoute(expected));
}

TEST_P(ProbeCaptureReplay, HoldsNoRequestForASerialNumber) {
    auto original = std::make_shared<FakeDrivePlatform>();
    GetParam().setUp(*original);
    auto recorder = std::make_shared<RecordingDrivePlatform>(original);
    TDriveComponent drives(recorder);
    DriveOutput(drives);
    const Capture capture = recorder->CaptureOf(drives.Device);
    ASSERT_FALSE(capture.exchanges.empty());
    for (const CapturedExchange& exchange : capture.exchanges) {
        const std::vector<std::uint8_t>& cdb = exchange.cdb;
        if (cdb[0] == kOpGetConfiguration) {
            EXPECT_EQ(cdb[1], kOneFeature) << "a list of features may carry the serial number";
            EXPECT_NE(ReadBE16(cdb, 2), 0x0108) << "the Drive Serial Number feature was asked for";
        }
        if (cdb[0] == kOpInquiry) {
            EXPECT_EQ(cdb[1] & 0x01, 0) << "a vital product data page was asked for";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Machines, ProbeCaptureReplay, testing::ValuesIn(kMachines),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReplayedCaptures, EmulatedDrivesGiveTheCapturedRunsDriveOutput) {
    std::string error;
    const auto capture = ReadWholeFile(CAPTURES_DIR "/emulated-drives.capture", error);
    const auto captured = ReadWholeFile(CAPTURES_DIR "/emulated-drives.txt", error);
    ASSERT_TRUE(capture && captured) << error;
    const std::string expected = captured->substr(captured->find("Drive route"));
    ASSERT_NE(expected.find("Details of drive 3"), std::string::npos);

    // Captured on the pass-through route, replayed on it: the route line matches too.
    EXPECT_EQ(WithoutSystemLines(ReplayedByPassThrough(Parsed(*capture))),
              WithoutSystemLines(expected));
}

}  // namespace
