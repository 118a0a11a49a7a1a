#include "drive/CommandBlocks.h"

#include <algorithm>

#include "util/ByteOrder.h"

namespace quendra {

Cdb6 inquiryCdb(std::uint16_t allocationLength) {
    Cdb6 cdb{kOpInquiry};
    WriteBE16(cdb, 3, allocationLength);
    return cdb;
}

Cdb6 testUnitReadyCdb() {
    return Cdb6{kOpTestUnitReady};
}

Cdb10 modeSense10Cdb(std::uint8_t page, std::uint16_t allocationLength) {
    Cdb10 cdb{kOpModeSense10, 0x00, page};
    WriteBE16(cdb, 7, allocationLength);
    return cdb;
}

Cdb10 getConfigurationCdb(std::uint8_t requestType, std::uint16_t feature,
                          std::uint16_t allocationLength) {
    Cdb10 cdb{kOpGetConfiguration, requestType};
    WriteBE16(cdb, 2, feature);
    WriteBE16(cdb, 7, allocationLength);
    return cdb;
}

Cdb10 getEventStatusNotificationCdb(std::uint8_t classes, std::uint16_t allocationLength) {
    constexpr std::uint8_t kPolled = 0x01;
    Cdb10 cdb{kOpGetEventStatusNotification, kPolled, 0x00, 0x00, classes};
    WriteBE16(cdb, 7, allocationLength);
    return cdb;
}

TSRB_ExecSCSICmd MakeCommandRequest(std::span<const std::uint8_t> cdb, std::uint8_t flags,
                                    std::uint8_t* buffer, std::uint32_t length) {
    TSRB_ExecSCSICmd srb{};
    srb.SRB_Flags = flags;
    srb.SRB_BufLen = length;
    srb.SRB_BufPointer = buffer;
    const std::size_t count = std::min(cdb.size(), srb.CDBByte.size());
    srb.SRB_CDBLen = static_cast<std::uint8_t>(count);
    std::array<std::uint8_t, 16> block{};
    std::copy_n(cdb.begin(), count, block.begin());
    srb.CDBByte = block;
    return srb;
}

}  // namespace quendra
