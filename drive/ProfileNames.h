#pragma once

// The names of the MMC profiles a drive reports (the kinds of disc it can work with).

#include <cstdint>
#include <string_view>

namespace quendra {

// "DVD-R Sequential Recording" for 0x0011 and so on; "" for a code without a name.
std::string_view ProfileName(std::uint16_t code);

}  // namespace quendra
