#pragma once

// Which device node stands behind a drive letter: C: is the fixed system drive, D: to Z:
// are /dev/sr0 to /dev/sr22, whichever of them exist.

#include <optional>
#include <string>

namespace quendra::linux_impl {

inline constexpr char kSystemDriveLetter = 'C';

// N of /dev/srN for letter D+N (N at most 22); nullopt for every other letter.
std::optional<int> OpticalDriveIndex(char letter);

// "/dev/srN" for an optical drive letter, "" for every other letter.
std::string OpticalDeviceNode(char letter);

}  // namespace quendra::linux_impl
