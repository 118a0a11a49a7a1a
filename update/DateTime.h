#pragma once

// Dates as the update component hands them to its events: a day count since 30 December 1899
// with the time of day as the fraction (6:00 is .25).

#include <chrono>
#include <optional>

namespace quendra {

using TDateTime = double;

// The calendar moment as a day count; nothing when it does not exist (years 1 to 9999).
std::optional<TDateTime> EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                                        int second = 0);

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// The calendar date of a day count (its time of day ignored).
CalendarDate DecodeDate(TDateTime moment);

// The offset of local time from universal time that is in effect now, daylight time included.
std::chrono::seconds CurrentLocalOffset();

// The current local date and time.
TDateTime Now();

}  // namespace quendra
