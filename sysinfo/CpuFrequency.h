#pragma once

// The processor clock, measured against the performance counter.

#include <cstdint>

namespace quendra {

struct CpuFrequency {
    std::int64_t RawMHz;                // rounded cycles per microsecond
    std::int64_t NormalizedMHz;         // corrected and snapped to a usual clock
    std::int64_t MeasuredCycles;        // time-stamp cycles over all tries
    std::int64_t MeasuredMicroseconds;  // measured time over all tries, rounded
};

// Counts time-stamp cycles over windows of 1000 performance-counter ticks, 3 to 20 tries,
// until the three latest results lie within 1 MHz of their mean. Leaves `frequency` zero
// when there is no performance counter.
void MeasureCpuFrequency(CpuFrequency& frequency);

// Moves a clock in MHz to the nearest usual value: hundreds plus 0, 20, 33, 50, 60, 66, 80
// or 90 (ties go up). Negative values are returned unchanged.
std::int64_t SnapFrequency(std::int64_t mhz);

}  // namespace quendra
