#pragma once

// Decoding of byte texts by the name of their character set (as HTTP and HTML name it).

#include <optional>
#include <string>
#include <string_view>

namespace quendra {

// Decodes `bytes` as the character set `name` (letter case ignored). A byte sequence the
// set cannot decode becomes U+FFFD; decoding itself never fails. Returns nothing when the
// name is not a character set this system knows. Windows-1252 uses the system code-page
// table, ISO-8859-1 widens each byte, UTF-8 uses the built-in decoder; every other set goes
// through the C library's converter.
std::optional<std::u16string> DecodeCharset(std::string_view bytes, std::string_view name);

}  // namespace quendra
