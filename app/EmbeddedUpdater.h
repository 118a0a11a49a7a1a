#pragma once

// The updater program, carried inside the quendra executable as the resource "QNDRUPD".

#include <cstddef>
#include <span>

namespace quendra {

std::span<const std::byte> EmbeddedUpdaterProgram();

}  // namespace quendra
