#pragma once

// The selected drive's display line and the four words taken from it (brand, type, model,
// firmware revision). A display line reads "<address>,<letter>: <vendor> <product...> <rev> ".

#include <string>
#include <string_view>

#include "report/ReportFields.h"

namespace quendra {

class TDriveComponent;

// The line with its second character forced to ":" when it is longer than 2 characters.
std::u16string NormalizeDeviceName(std::u16string_view name);

// The normalized display line of the drive at the selector's index; an index outside the
// drive table (-1 included) gives the empty text.
std::u16string GetSelectedDeviceName(TDriveComponent& drives, int selectorIndex);

// Sets FDeviceName to `deviceName` and recomputes the four words from it: the second token
// is the brand, the last the firmware, the one before it the model, and whatever lies
// between brand and model the type (lower-cased when it has several words). Fewer than
// four tokens give four empty words.
void SplitDeviceWords(std::u16string_view deviceName, ReportFields& fields);

}  // namespace quendra
