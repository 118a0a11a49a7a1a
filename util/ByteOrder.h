#pragma once

// Big-endian fields of SCSI command blocks and answers. Reads outside the span give 0,
// so a short answer can never be read past its end.

#include <cstddef>
#include <cstdint>
#include <span>

namespace quendra {

inline std::uint8_t ByteAt(std::span<const std::uint8_t> data, std::size_t offset) {
    return offset < data.size() ? data[offset] : 0;
}

inline std::uint16_t ReadBE16(std::span<const std::uint8_t> data, std::size_t offset) {
    return static_cast<std::uint16_t>(ByteAt(data, offset) << 8 | ByteAt(data, offset + 1));
}

inline std::uint32_t ReadBE32(std::span<const std::uint8_t> data, std::size_t offset) {
    return static_cast<std::uint32_t>(ReadBE16(data, offset)) << 16 | ReadBE16(data, offset + 2);
}

inline void WriteBE16(std::span<std::uint8_t> data, std::size_t offset, std::uint16_t value) {
    if (offset + 2 > data.size())
        return;
    data[offset] = static_cast<std::uint8_t>(value >> 8);
    data[offset + 1] = static_cast<std::uint8_t>(value);
}

inline void WriteBE32(std::span<std::uint8_t> data, std::size_t offset, std::uint32_t value) {
    if (offset + 4 > data.size())
        return;
    WriteBE16(data, offset, static_cast<std::uint16_t>(value >> 16));
    WriteBE16(data, offset + 2, static_cast<std::uint16_t>(value));
}

inline std::uint16_t ReadLE16(std::span<const std::uint8_t> data, std::size_t offset) {
    return static_cast<std::uint16_t>(ByteAt(data, offset) | ByteAt(data, offset + 1) << 8);
}

inline std::uint32_t ReadLE32(std::span<const std::uint8_t> data, std::size_t offset) {
    return ReadLE16(data, offset) | static_cast<std::uint32_t>(ReadLE16(data, offset + 2)) << 16;
}

inline std::uint64_t ReadLE64(std::span<const std::uint8_t> data, std::size_t offset) {
    return ReadLE32(data, offset) | static_cast<std::uint64_t>(ReadLE32(data, offset + 4)) << 32;
}

}  // namespace quendra
