#pragma once

// The drive trace log: an 8-bit text file with one line per executed command (and the lines
// discovery writes). Nothing is written while it is closed.

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "drive/ScsiLib.h"

namespace quendra {

inline constexpr std::string_view kTraceLogFirstLine = "GetDriveLibVersion\r\n";

// Creates (or truncates) the file at `path` and writes the first line.
// Throws std::runtime_error naming the file when it cannot be created.
std::unique_ptr<std::ofstream> CreateTraceLog(const std::string& path);

// Appends `text` to the trace log when one is open.
void WriteTrace(TSCSIDevice& device, std::string_view text);

// The line of one executed command, CR LF included: the time, the command's name and
// operation code, flags, command length, address, status and data length, command bytes 1 to
// 15, up to 100 bytes of the data buffer as it stands, and the additional sense code and
// qualifier; on the pass-through route also the OS error of the call.
std::string FormatTraceLine(const TSRB_ExecSCSICmd& request, std::string_view commandName,
                            UtcTimeOfDay time, std::optional<std::uint32_t> passThroughError);

}  // namespace quendra
