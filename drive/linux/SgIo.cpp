#include "drive/linux/SgIo.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>

namespace quendra::linux_impl {

namespace {

constexpr unsigned kDriverSense = 0x08;

}  // namespace

sg_io_hdr MakeSgIoHeader(const ScsiRequest& request) {
    sg_io_hdr header{};
    header.interface_id = 'S';
    switch (request.direction) {
        case DataDirection::In:
            header.dxfer_direction = SG_DXFER_FROM_DEV;
            break;
        case DataDirection::Out:
            header.dxfer_direction = SG_DXFER_TO_DEV;
            break;
        case DataDirection::None:
            header.dxfer_direction = SG_DXFER_NONE;
            break;
    }
    if (request.direction != DataDirection::None && !request.data.empty()) {
        header.dxfer_len = static_cast<unsigned>(request.data.size());
        header.dxferp = request.data.data();
    }
    header.cmd_len = static_cast<unsigned char>(request.cdb.size());
    header.cmdp = const_cast<unsigned char*>(request.cdb.data());
    header.mx_sb_len = static_cast<unsigned char>(request.sense.size());
    header.sbp = request.sense.data();
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(request.timeout).count();
    header.timeout = static_cast<unsigned>(
        std::clamp<long long>(milliseconds, 0, std::numeric_limits<unsigned>::max()));
    return header;
}

ScsiOutcome InterpretSgIo(int ioctlResult, int errorNumber, const sg_io_hdr& header) {
    ScsiOutcome outcome;
    outcome.scsiStatus = header.status;
    if (ioctlResult != 0) {
        outcome.error = static_cast<std::uint32_t>(errorNumber != 0 ? errorNumber : EIO);
        return outcome;
    }
    if (header.host_status != 0 ||
        (header.driver_status != 0 && header.driver_status != kDriverSense)) {
        outcome.error = EIO;
        return outcome;
    }
    outcome.delivered = true;
    return outcome;
}

ScsiAddress DecodeScsiAddress(int busNumber, std::uint32_t devId) {
    ScsiAddress address;
    address.port = static_cast<std::uint8_t>(busNumber);
    address.target = static_cast<std::uint8_t>(devId);
    address.lun = static_cast<std::uint8_t>(devId >> 8);
    address.path = static_cast<std::uint8_t>(devId >> 16);
    return address;
}

}  // namespace quendra::linux_impl
