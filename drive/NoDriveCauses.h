#pragma once

// Why no optical drive could be opened, told from what the system shows, each cause with
// the one step that fixes it.

#include <string>
#include <string_view>
#include <vector>

#include "drive/DrivePlatform.h"

namespace quendra {

enum class NoDriveCause {
    Permission,       // the node exists; this user may not open it
    Busy,             // another program holds the drive
    CannotOpen,       // the node exists and fails to open for another reason
    NodeMissing,      // the kernel has the drive, /dev has no node for it
    DriverNotLoaded,  // an optical drive on the SCSI bus, but no CD/DVD driver
    Container,        // inside a container or sandbox that was given no drive
    NoDrive,          // nothing optical anywhere
    Unknown,          // the nodes open, yet none was listed
};

struct NoDriveFinding {
    NoDriveCause cause;
    std::string text;  // what was seen, in one line
    std::string fix;   // what to do, in one line
};

// The causes the facts show, most specific first; never empty.
std::vector<NoDriveFinding> DiagnoseNoDrive(const DriveAccessFacts& facts);

// A short stable name of the cause: "permission", "busy", ...
std::string_view CauseName(NoDriveCause cause);

}  // namespace quendra
