#pragma once

// Registry readers with defaults. They never fail: whatever cannot be read as asked
// gives the caller's default.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sysinfo/SysPlatform.h"

namespace quendra {

// The text of a REG_SZ, REG_EXPAND_SZ (unexpanded) or REG_BINARY value; on the 9x family
// only REG_BINARY is accepted. The data is read as UTF-16 and its last character (the
// terminator) is dropped, so text stored without a terminator loses its last character.
// A missing key or value, another type or a failed read gives `defaultText`.
std::u16string ReadRegistryString(HKEY root, std::u16string_view keyPath,
                                  std::u16string_view valueName, std::u16string_view defaultText);

// A REG_SZ or REG_EXPAND_SZ value read as text (see above) and parsed as a decimal integer;
// a REG_BINARY, REG_DWORD or REG_QWORD value of at most 8 bytes as the low 32 bits of its
// little-endian value. Anything else (missing key or value, another type, more than 8
// bytes, a failed read, text that is not a 32-bit integer) gives `defaultValue`.
std::int32_t ReadRegistryInteger(HKEY root, std::u16string_view keyPath,
                                 std::u16string_view valueName, std::int32_t defaultValue);

// Decimal text (optional sign, surrounding characters up to U+0020 ignored) as a signed
// 32-bit integer; nullopt when it is not one.
std::optional<std::int32_t> ParseRegistryDecimal(std::u16string_view text);

}  // namespace quendra
