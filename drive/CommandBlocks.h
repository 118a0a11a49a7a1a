#pragma once

// Command descriptor blocks of the MMC commands the component sends, and the request that
// carries one. Multi-byte fields are big-endian.

#include <array>
#include <cstdint>
#include <span>

#include "drive/AspiRequests.h"

namespace quendra {

inline constexpr std::uint8_t kOpTestUnitReady = 0x00;
inline constexpr std::uint8_t kOpInquiry = 0x12;
inline constexpr std::uint8_t kOpWrite10 = 0x2A;
inline constexpr std::uint8_t kOpGetConfiguration = 0x46;
inline constexpr std::uint8_t kOpGetEventStatusNotification = 0x4A;
inline constexpr std::uint8_t kOpModeSense10 = 0x5A;

// Mode page codes, and the page-control bits asking for the drive's default values.
inline constexpr std::uint8_t kPageCapabilities = 0x2A;
inline constexpr std::uint8_t kPageWriteParameters30 = 0x30;
inline constexpr std::uint8_t kPageDefaultValues = 0x80;

// GET CONFIGURATION request type: the one feature asked for.
inline constexpr std::uint8_t kOneFeature = 0x02;

// Features read for the drive's details.
inline constexpr std::uint16_t kFeatureProfileList = 0x0000;
inline constexpr std::uint16_t kFeatureMicrocodeUpgrade = 0x0104;
inline constexpr std::uint16_t kFeatureFirmwareInformation = 0x010C;

// GET EVENT STATUS NOTIFICATION: the media event class, asked for in polled mode.
inline constexpr std::uint8_t kEventClassMedia = 0x10;

// The standard INQUIRY data every identification asks for.
inline constexpr std::uint16_t kInquiryLength = 64;
// Sense bytes every request asks for.
inline constexpr std::uint8_t kSenseLength = 24;

using Cdb6 = std::array<std::uint8_t, 6>;
using Cdb10 = std::array<std::uint8_t, 10>;

// 12 00 00 00 40 00 for the standard 64 bytes.
Cdb6 inquiryCdb(std::uint16_t allocationLength = kInquiryLength);

// 00 00 00 00 00 00
Cdb6 testUnitReadyCdb();

// 5A 00 P 00 00 00 00 L L 00, where P carries the page code and the page-control bits.
Cdb10 modeSense10Cdb(std::uint8_t page, std::uint16_t allocationLength);

// 46 RT F F 00 00 00 L L 00
Cdb10 getConfigurationCdb(std::uint8_t requestType, std::uint16_t feature,
                          std::uint16_t allocationLength);

// 4A 01 00 00 C 00 00 L L 00: polled, for the event classes C.
Cdb10 getEventStatusNotificationCdb(std::uint8_t classes, std::uint16_t allocationLength);

// A request with every byte zero except the flags, the data buffer and length, and the
// command block with its length. `cdb` holds at most 16 bytes; more are not copied.
TSRB_ExecSCSICmd MakeCommandRequest(std::span<const std::uint8_t> cdb, std::uint8_t flags,
                                    std::uint8_t* buffer, std::uint32_t length);

}  // namespace quendra
