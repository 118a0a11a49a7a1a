#pragma once

// The probe's system section: the operating-system and processor facts exactly as the
// report carries them, one aligned line each.

#include <ostream>

namespace quendra {

void PrintSystemFacts(std::ostream& out);

}  // namespace quendra
