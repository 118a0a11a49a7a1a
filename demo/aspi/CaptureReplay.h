#pragma once

// The answers of a captured drive, to replay it: each command block is answered as the
// drive answered that block in the capture.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "demo/aspi/DriveAnswer.h"
#include "drive/Capture.h"

namespace quendra {

class CaptureReplay {
public:
    // The exchanges of one drive, in the order they were captured.
    explicit CaptureReplay(const std::vector<CapturedExchange>& exchanges);

    // The first time a block is sent it gets the first answer captured for it, the second
    // time the second, and so on; past the last captured answer, the last again. The data
    // buffer receives the captured bytes and zeros up to the captured length, as the
    // captured program's buffer held them. A block the capture does not hold ends in CHECK
    // CONDITION, ILLEGAL REQUEST: INVALID COMMAND OPERATION CODE (5/20/00) when the capture
    // has no command with its operation code, INVALID FIELD IN CDB (5/24/00) when it has.
    DriveAnswer Answer(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data);

private:
    struct Answers {
        std::vector<CapturedExchange> captured;
        std::size_t next = 0;
    };

    // Orders command blocks element by element; std::less on the vectors trips a false
    // -Wstringop-overread in GCC 12 at -O3.
    struct CdbOrder {
        bool operator()(const std::vector<std::uint8_t>& a,
                        const std::vector<std::uint8_t>& b) const {
            return std::lexicographical_compare(
                a.begin(), a.end(), b.begin(), b.end(),
                [](std::uint8_t x, std::uint8_t y) { return x < y; });
        }
    };

    std::map<std::vector<std::uint8_t>, Answers, CdbOrder> byCdb_;
};

}  // namespace quendra
