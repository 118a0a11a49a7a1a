#pragma once

// One SCSI command as an SG_IO request, and what its outcome means.

#include <scsi/sg.h>

#include <cstdint>

#include "drive/DrivePlatform.h"

namespace quendra::linux_impl {

// The sg_io_hdr for `request`: its direction, command block, data and sense buffers, and
// its time limit in milliseconds. No data moves for DataDirection::None.
sg_io_hdr MakeSgIoHeader(const ScsiRequest& request);

// The call succeeded when the ioctl returned 0, the host reported nothing and the driver
// reported at most that sense data came back; the drive's verdict is then the status byte.
// Otherwise the command was not delivered: `error` is errno, or EIO when the transport
// failed.
ScsiOutcome InterpretSgIo(int ioctlResult, int errorNumber, const sg_io_hdr& header);

// The address in the two words SCSI_IOCTL_GET_IDLUN gives, with the host number from
// SCSI_IOCTL_GET_BUS_NUMBER.
ScsiAddress DecodeScsiAddress(int busNumber, std::uint32_t devId);

}  // namespace quendra::linux_impl
