#pragma once

// Dates of the response fields Date, Last-Modified and Expires. The three forms servers use
// read as the same moment: "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT"
// and "Sun Nov  6 08:49:37 1994".

#include <chrono>
#include <string_view>

#include "update/DateTime.h"

namespace quendra {

// The moment in local time, or 0 when the text is empty or cannot be read. A zone offset
// after the time ("+0100") is taken off first; local time is universal time plus the offset
// in effect now (not the one in effect at that date).
TDateTime HTTPDate(std::string_view text);
TDateTime HTTPDate(std::string_view text, std::chrono::seconds localOffset);

}  // namespace quendra
