#pragma once

// Where the running program lives.

#include <string>

namespace quendra {

// Full path of the running executable; empty when the system cannot tell.
std::u16string ProgramFilePath();

}  // namespace quendra
