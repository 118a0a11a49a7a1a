#pragma once

// Decoders of the answers behind a drive's details: the feature list of GET CONFIGURATION,
// the profile list, microcode upgrade and firmware information features, and the media
// event of GET EVENT STATUS NOTIFICATION. Every length the drive states is checked against
// the bytes it sent; what does not fit is not decoded.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quendra {

struct FeatureEntry {
    std::uint16_t code = 0;
    std::uint8_t flags = 0;  // version, persistent and current bits
    std::vector<std::uint8_t> data;
};

struct ConfigurationAnswer {
    std::uint16_t currentProfile = 0;
    std::vector<FeatureEntry> features;
    // A descriptor ran past the answer; features after it are unknown.
    bool truncated = false;

    const FeatureEntry* Find(std::uint16_t code) const;
};

struct DriveProfile {
    std::uint16_t code = 0;
    bool current = false;

    bool operator==(const DriveProfile&) const = default;
};

struct FirmwareDate {
    std::uint16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
};

// The header and feature descriptors of a GET CONFIGURATION answer; nullopt when the
// header is incomplete.
std::optional<ConfigurationAnswer> DecodeConfiguration(std::span<const std::uint8_t> answer);

// The profiles of a Profile List feature's data; nullopt when it holds none or its length
// is not a whole number of profile descriptors.
std::optional<std::vector<DriveProfile>> DecodeProfileList(std::span<const std::uint8_t> data);

// The M5 bit of a Microcode Upgrade feature's data; nullopt when the data has no byte.
std::optional<bool> DecodeMicrocodeM5(std::span<const std::uint8_t> data);

// The creation date of a Firmware Information feature's data (ASCII digits: century, year,
// month, day, hour, minute, second); nullopt when a field is not digits or out of range.
std::optional<FirmwareDate> DecodeFirmwareDate(std::span<const std::uint8_t> data);

// "2011-03-08 14:22:07", with `separator` between the date and the time.
std::string FirmwareDateText(const FirmwareDate& date, char separator);

// Whether a medium is present, from a media-class event answer of GET EVENT STATUS
// NOTIFICATION; nullopt when the answer carries no media event.
std::optional<bool> DecodeMediaPresent(std::span<const std::uint8_t> answer);

}  // namespace quendra
