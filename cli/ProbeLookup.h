#pragma once

// The lookup of quendra-probe: what the window's main button would open, printed instead.

#include <cstdint>
#include <ostream>

#include "drive/DriveComponent.h"
#include "lookup/LookupTypes.h"

namespace quendra {

// Builds the report of drive `index`, posts it to the lookup service at `endpoint` and prints
// each address the window would open, one per line, or the failure text. Returns whether the
// exchange succeeded.
bool PrintLookup(TDriveComponent& drives, std::uint8_t index, const LookupEndpoint& endpoint,
                 std::ostream& out);

}  // namespace quendra
