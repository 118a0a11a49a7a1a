#pragma once

// The values the transfer engine computes from what it has received: progress figures,
// the realm of a password request, and header values read as numbers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quendra {

struct ProgressInput {
    std::uint64_t bytesRead = 0;
    std::uint64_t fileSize = 0;  // 0: unknown
    std::uint64_t rangeStart = 0;
    std::uint64_t elapsedMs = 0;
};

struct ProgressFigures {
    std::uint8_t percentsDone = 0;
    std::uint32_t elapsedTime = 0;        // s
    std::uint32_t estimatedTimeLeft = 0;  // s
    float transferRate = -1;              // KB/s
};

// PercentsDone: (read + start) * 100 / (size + start), rounded half to even, 0 when the
// divisor is 0, at most 100. ElapsedTime: whole seconds. EstimatedTimeLeft: size / read *
// elapsed, rounded, minus elapsed, never below 0. TransferRate: read / 1024, divided by the
// elapsed seconds when there are any.
ProgressFigures ComputeProgress(const ProgressInput& input);

// The realm of a WWW-Authenticate value: the text after the first `="`, without its last
// character; empty when there is no `="`.
std::string RealmOf(std::string_view challenge);

// A decimal header value (surrounding blanks allowed), or nothing.
std::optional<std::uint64_t> DecimalValue(std::string_view text);

// Largest value of the engine's 32-bit counters; larger ones stay there.
std::uint32_t Saturate32(std::uint64_t value);

}  // namespace quendra
