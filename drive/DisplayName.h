#pragma once

// The display name of a drive: "adapter:target:lun,letter: vendor product revision " with
// the INQUIRY identification fields at their full width of 8, 16 and 4 characters.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "drive/ScsiLib.h"

namespace quendra {

// Vendor, product and revision side by side, 28 code-page bytes.
using DriveIdentity = std::array<char, 28>;

// Bytes 8 to 35 of INQUIRY data with every byte below 0x20 turned into a blank; bytes past
// the end of `inquiry` read as blanks.
DriveIdentity IdentityFromInquiry(std::span<const std::uint8_t> inquiry);

// The identity of a drive that told nothing about itself: all blanks.
DriveIdentity BlankIdentity();

std::string DisplayName(std::uint8_t adapter, std::uint8_t target, std::uint8_t lun, char letter,
                        const DriveIdentity& identity);

// Stores the name NUL-terminated in the entry, cut to the room there is.
void StoreDisplayName(TDeviceEntry& entry, const std::string& name);

}  // namespace quendra
