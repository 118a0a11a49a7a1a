#pragma once

// The drive sections of quendra-probe: which route the drive component took, the drives it
// found, and for each drive what the component answers about it after selecting it.

#include <cstdint>
#include <ostream>

#include "drive/DriveComponent.h"

namespace quendra {

// Runs InitializeASPI(false, "", "") and prints the route and one line per drive.
// Returns whether a route was found.
bool PrintDriveList(TDriveComponent& drives, std::ostream& out);

// Selects table entry `index` and prints the selection's INQUIRY result, every capability
// answer, the maximum speeds, the buffer size, burner, readiness and the pending error.
void PrintDriveCapabilities(TDriveComponent& drives, std::uint8_t index, std::ostream& out);

// Both of the above, for every drive found.
void PrintDrives(TDriveComponent& drives, std::ostream& out);

}  // namespace quendra
