#pragma once

// What quendra-probe learns about the drives, in the order it asks: the drive list (and why
// it is empty), each drive's answers after its selection, then each drive's report as the
// window builds it, followed by the drive's details.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "cli/SystemFacts.h"
#include "drive/Capabilities.h"
#include "drive/DriveComponent.h"
#include "report/ReportFields.h"

namespace quendra {

enum class DriveRoute { None, PassThrough, Aspi };

struct ListedDrive {
    std::uint8_t index = 0;
    TDeviceEntry entry;
    std::string name;  // display name, system code page
};

struct DriveListing {
    DriveRoute route = DriveRoute::None;
    std::vector<ListedDrive> drives;
    std::vector<NoDriveFinding> whyNone;  // filled when `drives` is empty
};

// What the component answers about a drive right after selecting it.
struct DriveAnswers {
    bool inquiryAnswered = false;
    std::vector<std::pair<DriveCapability, bool>> capabilities;
    std::uint16_t maxReadSpeed = 0;   // kB/s
    std::uint16_t maxWriteSpeed = 0;  // kB/s
    std::uint32_t bufferSize = 0;     // bytes
    bool burner = false;
    bool unitReady = false;
    std::string error;  // system code page
};

struct DriveReport {
    std::vector<std::u16string> lines;  // "Key=Value"
    DriveDetails details;
};

struct ProbeFacts {
    SystemFacts system;
    DriveListing listing;
    std::vector<DriveAnswers> answers;  // one per listed drive
    std::vector<DriveReport> reports;   // one per listed drive
};

// Runs InitializeASPI(false, "", "") and lists the drives; explains an empty list.
DriveListing ListDrives(TDriveComponent& drives);

// Selects drive `index` and asks every capability, the speeds, the buffer size, burner,
// readiness and the pending error.
DriveAnswers AskDrive(TDriveComponent& drives, std::uint8_t index);

// Selects drive `index` and builds its report as the window does; then reads the drive's
// details, whose commands come after the report's.
DriveReport ReportDrive(TDriveComponent& drives, std::uint8_t index, ReportFields& fields);

// The report fields of this program (its own version) before any drive is reported.
ReportFields FieldsOfThisProgram();

// Everything, in the order above: system facts, list, answers of each drive, reports.
ProbeFacts GatherProbeFacts(TDriveComponent& drives);

}  // namespace quendra
