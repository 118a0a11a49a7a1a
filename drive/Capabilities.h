#pragma once

// The capability identifiers DeviceCan answers from the flags of the last probe, and the
// identifiers of its three switches.

#include <cstdint>
#include <span>
#include <string_view>

#include "drive/MmcRecords.h"

namespace quendra {

struct DriveCapability {
    std::uint8_t id;
    bool TDC::*flag;
    std::string_view name;  // the flag's name, "Read_CDR", ...
};

// 1 to 14 (reading), 21 to 32 (writing), 41 (test write) and 42 (underrun protection), in
// the order of their identifiers.
std::span<const DriveCapability> DriveCapabilities();

// The capability with identifier `id`, or nullptr when `id` names none.
const DriveCapability* FindDriveCapability(std::uint8_t id);

inline constexpr std::uint8_t kTraceLogOn = 72;
inline constexpr std::uint8_t kTraceLogOff = 73;
inline constexpr std::uint8_t kWrite10AddressSwitch = 77;

}  // namespace quendra
