#pragma once

// The report and lookup sections of quendra-probe.

#include <cstdint>
#include <ostream>

#include "drive/DriveComponent.h"
#include "lookup/LookupTypes.h"

namespace quendra {

// Selects each drive in turn, as the window does, and prints its report, one line per line.
void PrintReports(TDriveComponent& drives, std::ostream& out);

// Builds the report of drive `index`, posts it to the lookup service at `endpoint` and prints
// each address the window would open, one per line, or the failure text. Returns whether the
// exchange succeeded.
bool PrintLookup(TDriveComponent& drives, std::uint8_t index, const LookupEndpoint& endpoint,
                 std::ostream& out);

}  // namespace quendra
