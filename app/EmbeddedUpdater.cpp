#include "app/EmbeddedUpdater.h"

extern "C" const unsigned char quendra_QNDRUPD_begin[];
extern "C" const unsigned char quendra_QNDRUPD_end[];

namespace quendra {

std::span<const std::byte> EmbeddedUpdaterProgram() {
    return {reinterpret_cast<const std::byte*>(quendra_QNDRUPD_begin),
            reinterpret_cast<const std::byte*>(quendra_QNDRUPD_end)};
}

}  // namespace quendra
