#pragma once

// The capability probe of the selected drive: MODE SENSE (10) of the capabilities page and of
// page 0x30, and GET CONFIGURATION of seven features, decoded into ModePage2A and dc.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "drive/ScsiLib.h"

namespace quendra {

// Where the capabilities page starts in a MODE SENSE (10) answer: right after the 8-byte
// header, or after one 8-byte block descriptor. The whole code byte must read 0x2A.
std::optional<std::size_t> LocateCapabilitiesPage(std::span<const std::uint8_t> answer);

// A GET CONFIGURATION answer counts for `feature` when the drive has no current profile
// (no disc) or the answer's first feature is the one asked for.
bool FeatureAccepted(const TConfigHeader& header, std::uint16_t feature);

// Fills device.ModePage2A and device.dc from ten commands to the selected drive: three MODE
// SENSE (10) and seven GET CONFIGURATION. False, with both records zero, when the drive does
// not answer the first MODE SENSE.
bool ProbeCapabilities(DrivePlatform& platform, TSCSIDevice& device);

}  // namespace quendra
