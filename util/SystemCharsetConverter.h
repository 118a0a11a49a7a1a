#pragma once

// The C library's character-set converter (glibc iconv on Linux).

#include <optional>
#include <string>
#include <string_view>

namespace quendra {

// Decodes `bytes` from the set `name` to UTF-16; a byte the set cannot decode becomes
// U+FFFD. Nothing when the converter does not know the name.
std::optional<std::u16string> DecodeWithSystemConverter(std::string_view bytes,
                                                        const std::string& name);

}  // namespace quendra
