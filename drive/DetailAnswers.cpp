#include "drive/DetailAnswers.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "util/ByteOrder.h"

namespace quendra {

namespace {

constexpr std::size_t kConfigurationHeaderLength = 8;
constexpr std::size_t kDescriptorHeaderLength = 4;
constexpr std::size_t kProfileDescriptorLength = 4;
constexpr std::size_t kFirmwareDateDigits = 14;
constexpr std::uint8_t kMediaEventClass = 4;
constexpr std::uint8_t kNoEventAvailable = 0x80;
constexpr std::uint8_t kMediaPresentBit = 0x02;

// The two ASCII digits at `offset` as a number, or nullopt.
std::optional<int> TwoDigits(std::span<const std::uint8_t> data, std::size_t offset) {
    const auto digit = [&](std::size_t at) -> std::optional<int> {
        const std::uint8_t byte = data[at];
        if (byte < '0' || byte > '9')
            return std::nullopt;
        return byte - '0';
    };
    const auto tens = digit(offset);
    const auto ones = digit(offset + 1);
    if (!tens || !ones)
        return std::nullopt;
    return *tens * 10 + *ones;
}

}  // namespace

const FeatureEntry* ConfigurationAnswer::Find(std::uint16_t code) const {
    const auto found =
        std::find_if(features.begin(), features.end(),
                     [code](const FeatureEntry& entry) { return entry.code == code; });
    return found == features.end() ? nullptr : &*found;
}

std::optional<ConfigurationAnswer> DecodeConfiguration(std::span<const std::uint8_t> answer) {
    if (answer.size() < kConfigurationHeaderLength)
        return std::nullopt;
    // The data length counts the bytes after itself, and may name more than was sent.
    const std::uint64_t stated = std::uint64_t{ReadBE32(answer, 0)} + 4;
    if (stated < kConfigurationHeaderLength)
        return std::nullopt;
    const std::size_t end =
        static_cast<std::size_t>(std::min<std::uint64_t>(stated, answer.size()));

    ConfigurationAnswer decoded;
    decoded.currentProfile = ReadBE16(answer, 6);
    std::size_t at = kConfigurationHeaderLength;
    while (at < end) {
        if (at + kDescriptorHeaderLength > end) {
            decoded.truncated = true;
            break;
        }
        const std::size_t length = answer[at + 3];
        const std::size_t dataStart = at + kDescriptorHeaderLength;
        if (dataStart + length > end) {
            decoded.truncated = true;
            break;
        }
        const auto data = answer.subspan(dataStart, length);
        decoded.features.push_back(
            {ReadBE16(answer, at), answer[at + 2], {data.begin(), data.end()}});
        at = dataStart + length;
    }
    return decoded;
}

std::optional<std::vector<DriveProfile>> DecodeProfileList(std::span<const std::uint8_t> data) {
    if (data.empty() || data.size() % kProfileDescriptorLength != 0)
        return std::nullopt;
    std::vector<DriveProfile> profiles;
    for (std::size_t at = 0; at < data.size(); at += kProfileDescriptorLength) {
        profiles.push_back({ReadBE16(data, at), (data[at + 2] & 0x01) != 0});
    }
    return profiles;
}

std::optional<bool> DecodeMicrocodeM5(std::span<const std::uint8_t> data) {
    if (data.empty())
        return std::nullopt;
    return (data[0] & 0x01) != 0;
}

std::optional<FirmwareDate> DecodeFirmwareDate(std::span<const std::uint8_t> data) {
    if (data.size() < kFirmwareDateDigits)
        return std::nullopt;
    std::array<int, kFirmwareDateDigits / 2> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::optional<int> value = TwoDigits(data, 2 * i);
        if (!value)
            return std::nullopt;
        fields[i] = *value;
    }
    const auto [century, year, month, day, hour, minute, second] = fields;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    return FirmwareDate{static_cast<std::uint16_t>(century * 100 + year),
                        static_cast<std::uint8_t>(month),
                        static_cast<std::uint8_t>(day),
                        static_cast<std::uint8_t>(hour),
                        static_cast<std::uint8_t>(minute),
                        static_cast<std::uint8_t>(second)};
}

std::string FirmwareDateText(const FirmwareDate& date, char separator) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u%c%02u:%02u:%02u", unsigned{date.year},
                  unsigned{date.month}, unsigned{date.day}, separator, unsigned{date.hour},
                  unsigned{date.minute}, unsigned{date.second});
    return text;
}

std::optional<bool> DecodeMediaPresent(std::span<const std::uint8_t> answer) {
    // Header: the length of the event descriptors that follow it (2 bytes), NEA and class,
    // supported classes; then the 4-byte media event: event code, media status, start slot,
    // end slot.
    constexpr std::size_t kHeaderLength = 4;
    constexpr std::size_t kMediaEventLength = 4;
    if (answer.size() < kHeaderLength + kMediaEventLength ||
        ReadBE16(answer, 0) < kMediaEventLength)
        return std::nullopt;
    if ((answer[2] & kNoEventAvailable) != 0 || (answer[2] & 0x07) != kMediaEventClass)
        return std::nullopt;
    return (answer[5] & kMediaPresentBit) != 0;
}

}  // namespace quendra
