#pragma once

// What a simulated drive answers to one command: the status byte, the sense data and how much
// data it wrote, or a failure of the transport before the command reached the drive.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace quendra {

struct SenseData {
    std::uint8_t key = 0;
    std::uint8_t asc = 0;
    std::uint8_t ascq = 0;
};

inline constexpr SenseData kMediumNotPresent{0x02, 0x3A, 0x00};
inline constexpr SenseData kInvalidFieldInCdb{0x05, 0x24, 0x00};
inline constexpr SenseData kInvalidCommand{0x05, 0x20, 0x00};

inline constexpr std::uint8_t kStatusCheckCondition = 0x02;
inline constexpr std::uint8_t kStatusBusy = 0x08;

struct DriveAnswer {
    std::uint8_t status = 0;          // 0 GOOD, 2 CHECK CONDITION
    std::vector<std::uint8_t> sense;  // fixed format, 18 bytes, with CHECK CONDITION
    std::size_t dataLength = 0;       // bytes written into the data buffer
    // Nonzero: the command failed in the transport with this OS error (pass-through).
    std::uint32_t transportError = 0;
    // The ASPI library ends the request with this completion status instead of the one the
    // status byte implies.
    std::optional<std::uint8_t> aspiStatus{};
};

// Fixed-format sense data for CHECK CONDITION.
std::vector<std::uint8_t> FixedSense(SenseData sense);

}  // namespace quendra
