#pragma once

// The texts of the component's error numbers: 0 none, 1 to 4 from the disc-writing engine
// (2 and 3 name its file), every other number a drive error (additional sense code * 256 +
// qualifier).

#include <cstdint>
#include <string>
#include <string_view>

namespace quendra {

// 8-bit text in the system code page; `fileName` is the engine's file, in the same code page.
std::string ErrorText(std::uint32_t number, std::string_view fileName);

// The UTF-16 form, whose texts differ slightly from the 8-bit ones.
std::u16string ErrorTextW(std::uint32_t number, std::string_view fileName);

}  // namespace quendra
