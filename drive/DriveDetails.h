#pragma once

// What helps a user judge a drive's firmware beyond the capability probe: its profiles with
// the current one, microcode upgrade support, the firmware's creation date, and whether a
// disc is in it. Read with commands of their own, which leave the probe's records alone.

#include <cstdint>
#include <optional>
#include <vector>

#include "drive/DetailAnswers.h"
#include "drive/ScsiLib.h"

namespace quendra {

struct MicrocodeUpgrade {
    bool supported = false;
    std::optional<bool> m5;  // the MMC-5 upgrade procedure bit, when the drive reports it
};

// Each detail is absent when the drive rejected the command or answered nothing usable.
struct DriveDetails {
    std::optional<std::vector<DriveProfile>> profiles;
    std::optional<std::uint16_t> currentProfile;  // 0: no current profile (no disc)
    std::optional<MicrocodeUpgrade> microcodeUpgrade;
    std::optional<FirmwareDate> firmwareDate;
    std::optional<bool> discPresent;
};

// Asks the selected drive for the features Profile List, Microcode Upgrade and Firmware
// Information (GET CONFIGURATION), then for its media event (GET EVENT STATUS
// NOTIFICATION). Disc presence falls back on the current profile, then on TEST UNIT READY.
DriveDetails ReadDriveDetails(DrivePlatform& platform, TSCSIDevice& device);

}  // namespace quendra
