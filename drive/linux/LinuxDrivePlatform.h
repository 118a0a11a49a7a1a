#pragma once

// The drive platform of this machine: drive letters D: to Z: are /dev/sr0 to /dev/sr22,
// commands go through SG_IO, addresses come from the SCSI ioctls, the ASPI library is
// loaded with dlopen and completion events are eventfds.

#include <memory>

#include "drive/DrivePlatform.h"

namespace quendra::linux_impl {

std::shared_ptr<DrivePlatform> MakeLinuxDrivePlatform();

}  // namespace quendra::linux_impl
