#pragma once

// Small text rules the whole program repeats. Case rules touch ASCII letters only.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quendra {

// Removes every character up to U+0020 from both ends.
std::u16string Trim(std::u16string_view text);
// The same for 8-bit text: every byte up to 0x20.
std::string Trim(std::string_view text);

std::u16string AsciiLower(std::u16string_view text);
std::u16string AsciiUpper(std::u16string_view text);
std::string AsciiLower(std::string_view text);

// Position of the first occurrence of `needle` at or after `from`, ASCII case ignored;
// npos when there is none (and for an empty needle).
std::size_t FindNoCase(std::u16string_view haystack, std::u16string_view needle,
                       std::size_t from = 0);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Replaces every occurrence of `from` (left to right, no overlap, ASCII case ignored).
// An empty `from` leaves the text unchanged.
std::u16string ReplaceAllNoCase(std::u16string_view text, std::u16string_view from,
                                std::u16string_view to);

// Cuts a text into lines at CR LF, CR or LF; a U+0000 ends the text. A final line
// break adds no empty line.
std::vector<std::u16string> SplitLines(std::u16string_view text);

// Decimal text of an unsigned number.
std::u16string Decimal(std::uint64_t value);

}  // namespace quendra
