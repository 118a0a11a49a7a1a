#pragma once

// Conversions between UTF-16, UTF-8, ISO-8859-1 and the system code page
// (Windows-1252, where 0x80 is the euro sign and 0xAE is the registered sign).

#include <string>
#include <string_view>

namespace quendra {

// Invalid or truncated sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// Every byte becomes the character of the same code.
std::u16string Latin1ToUtf16(std::string_view bytes);

// System code page. The five bytes Windows-1252 leaves undefined map to the C1
// control of the same value, as Windows does.
std::u16string CodePageToUtf16(std::string_view bytes);
// Characters without a code-page byte become "?".
std::string Utf16ToCodePage(std::u16string_view text);

}  // namespace quendra
