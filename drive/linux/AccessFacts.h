#pragma once

// The facts behind an empty drive list, read from the device nodes, sysfs and procfs below
// `root` ("/" on a running system; tests pass a folder of their own).

#include <filesystem>

#include "drive/DrivePlatform.h"

namespace quendra::linux_impl {

DriveAccessFacts ReadDriveAccessFacts(const std::filesystem::path& root);

}  // namespace quendra::linux_impl
