#pragma once

// A capture: every command the program exchanged with each listed drive and what came back,
// in the order sent, and its text form (docs/capture-format.md). A user whose drive is
// reported wrongly sends one; the simulated drives replay it to answer as that drive did.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "drive/DrivePlatform.h"

namespace quendra {

inline constexpr int kCaptureVersion = 1;

// How the transport ended an exchange.
enum class CaptureOutcome {
    Delivered,   // the command reached the drive; its status byte tells the rest
    OsError,     // pass-through: the call failed with an OS error (`outcomeCode`)
    AspiStatus,  // ASPI: the library ended the request with the completion status `outcomeCode`
                 // where the status byte implies another
};

struct CapturedExchange {
    std::uint8_t adapter = 0;
    std::uint8_t target = 0;
    std::uint8_t lun = 0;
    char letter = '?';  // 'A'..'Z', or '?' when the drive has none
    std::vector<std::uint8_t> cdb;
    DataDirection direction = DataDirection::None;
    std::uint32_t length = 0;  // transfer length of the request
    // The data buffer as it stood after the command (data from the drive only), without its
    // trailing zero bytes; the bytes up to `length` after it are zero.
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> sense;  // without trailing zero bytes
    std::uint8_t status = 0;          // SCSI status byte
    CaptureOutcome outcome = CaptureOutcome::Delivered;
    std::uint32_t outcomeCode = 0;
    std::chrono::microseconds elapsed{0};

    bool operator==(const CapturedExchange&) const = default;
};

struct Capture {
    std::vector<CapturedExchange> exchanges;

    bool operator==(const Capture&) const = default;
};

// One drive of a capture with its exchanges, in the order sent.
struct CapturedDrive {
    std::uint8_t adapter = 0;
    std::uint8_t target = 0;
    std::uint8_t lun = 0;
    char letter = '?';
    std::vector<CapturedExchange> exchanges;
};

// The drives of a capture in the order of their first exchange.
std::vector<CapturedDrive> CapturedDrives(const Capture& capture);

// The text form: a version line, a line naming the columns, one line per exchange and an
// end line with the number of exchanges.
std::string FormatCapture(const Capture& capture);

struct CaptureError {
    std::size_t line = 0;  // 1-based
    std::string message;
};

// Reads the text form. Failure: the first line at fault and what is wrong with it.
std::variant<Capture, CaptureError> ParseCapture(std::string_view text);

// "line N: MESSAGE"
std::string CaptureErrorText(const CaptureError& error);

// The data and sense bytes worth keeping: `bytes` without its trailing zero bytes.
std::vector<std::uint8_t> WithoutTrailingZeros(std::span<const std::uint8_t> bytes);

}  // namespace quendra
