#pragma once

// The capability flags of the last probe: their DeviceCan identifiers, the bits of the
// capabilities page they are read from, and the identifiers of DeviceCan's three switches.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "drive/MmcRecords.h"

namespace quendra {

// A bit of the capabilities page (0x2A): the byte's offset in the page and the bit number.
struct PageBit {
    std::uint8_t byte;
    std::uint8_t bit;
};

struct DriveCapability {
    std::uint8_t id;  // DeviceCan identifier; 0 for the two flags DeviceCan does not answer
    bool TDC::*flag;
    std::string_view name;  // the flag's name, "Read_CDR", ...
    // The bit the probe copies into the flag; nullopt for flags read from the features.
    std::optional<PageBit> pageBit;
};

// The flags DeviceCan answers: 1 to 14 (reading), 21 to 32 (writing), 41 (test write) and
// 42 (underrun protection), in the order of their identifiers.
std::span<const DriveCapability> DriveCapabilities();

// Every flag of the probe: the ones above, then Read_Method2 and Read_DVDROM.
std::span<const DriveCapability> CapabilityFlags();

// The capability with identifier `id`, or nullptr when `id` names none.
const DriveCapability* FindDriveCapability(std::uint8_t id);

inline constexpr std::uint8_t kTraceLogOn = 72;
inline constexpr std::uint8_t kTraceLogOff = 73;
inline constexpr std::uint8_t kWrite10AddressSwitch = 77;

}  // namespace quendra
