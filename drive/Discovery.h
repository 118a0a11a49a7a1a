#pragma once

// Finding the drives: the pass-through scan over the drive letters, the ASPI scan over host
// adapters, targets and logical units, and the letter of an ASPI address.

#include <cstddef>
#include <string_view>

#include "drive/ScsiLib.h"

namespace quendra {

// Scans the letters C to Z for CD-ROM drives and fills the device table: drives with a bus
// address first, then those without one, which get adapter numbers of their own. Returns
// the number of drives that could be opened; when it is nonzero the pass-through route is
// chosen.
std::size_t ScanPassThrough(DrivePlatform& platform, TSCSIDevice& device);

// Loads the ASPI library (`library`, or "WNASPI32.DLL" when empty) and lists every CD/DVD
// device it reports. False when the library is missing, lacks an entry point or reports no
// support; true otherwise, also when no drive is found. The table holds at most 26 drives.
bool ScanAspi(DrivePlatform& platform, TSCSIDevice& device, std::string_view library);

// The letter whose volume has the bus address adapter:target:lun, or '?' when none has.
char FindDriveLetter(DrivePlatform& platform, std::uint8_t adapter, std::uint8_t target,
                     std::uint8_t lun);

}  // namespace quendra
