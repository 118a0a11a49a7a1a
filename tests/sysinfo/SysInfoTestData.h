#pragma once

// Registry places and small builders the system information tests share.

#include <cstdint>
#include <string_view>
#include <vector>

namespace quendra {

inline constexpr std::u16string_view kCurrentVersionKey =
    u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
inline constexpr std::u16string_view kProductOptionsKey =
    u"SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
inline constexpr std::u16string_view kWindowsControlKey =
    u"SYSTEM\\CurrentControlSet\\Control\\Windows";

// A fixed version information block of `size` bytes whose product version (major, minor)
// sits where the platform puts it.
inline std::vector<std::uint8_t> FixedVersionBlock(std::uint32_t productVersionMs,
                                                   std::size_t size = 52) {
    std::vector<std::uint8_t> block(size, 0);
    for (std::size_t i = 0; i < 4 && 16 + i < size; ++i) {
        block[16 + i] = static_cast<std::uint8_t>(productVersionMs >> (8 * i));
    }
    return block;
}

}  // namespace quendra
