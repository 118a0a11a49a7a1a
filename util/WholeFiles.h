#pragma once

// A whole file read or written at once, through a close-on-exec descriptor.

#include <optional>
#include <string>
#include <string_view>

namespace quendra {

// The bytes of `path`; nullopt when it cannot be read, with the system's reason in `error`.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string& error);

// Creates or replaces `path` with `content`. False when it cannot be written completely,
// with the system's reason in `error`.
bool WriteWholeFile(const std::string& path, std::string_view content, std::string& error);

}  // namespace quendra
