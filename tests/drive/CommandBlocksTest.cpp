#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "demo/aspi/SimulatedDrive.h"
#include "drive/ScsiLib.h"

namespace {

using namespace quendra;
using Bytes = std::vector<std::uint8_t>;

template <std::size_t N>
Bytes ToBytes(const std::array<std::uint8_t, N>& cdb) {
    return Bytes(cdb.begin(), cdb.end());
}

TEST(CommandBlocks, BuildersGiveTheBlocksTheProgramSends) {
    EXPECT_EQ(ToBytes(inquiryCdb()), (Bytes{0x12, 0, 0, 0, 0x40, 0}));
    EXPECT_EQ(ToBytes(testUnitReadyCdb()), (Bytes{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ToBytes(modeSense10Cdb(0xAA, 128)), (Bytes{0x5A, 0, 0xAA, 0, 0, 0, 0, 0, 0x80, 0}));
    EXPECT_EQ(ToBytes(modeSense10Cdb(0xB0, 128)), (Bytes{0x5A, 0, 0xB0, 0, 0, 0, 0, 0, 0x80, 0}));
    EXPECT_EQ(ToBytes(getConfigurationCdb(2, 0x3B, 112)),
              (Bytes{0x46, 0x02, 0x00, 0x3B, 0, 0, 0, 0x00, 0x70, 0}));
    // Both bytes of the feature and of the allocation length are used.
    EXPECT_EQ(ToBytes(getConfigurationCdb(2, 0x0107, 0x0170)),
              (Bytes{0x46, 0x02, 0x01, 0x07, 0, 0, 0, 0x01, 0x70, 0}));
    EXPECT_EQ(ToBytes(getEventStatusNotificationCdb(0x10, 8)),
              (Bytes{0x4A, 0x01, 0, 0, 0x10, 0, 0, 0x00, 0x08, 0}));
}

TEST(CommandBlocks, RequestIsZeroedApartFromWhatTheBuilderFills) {
    std::uint8_t buffer[64];
    const TSRB_ExecSCSICmd srb = MakeCommandRequest(modeSense10Cdb(0x2A, 128), 0x48, buffer, 128);
    Bytes raw(sizeof srb);
    std::memcpy(raw.data(), &srb, sizeof srb);

    Bytes expected(sizeof srb, 0);
    expected[3] = 0x48;   // SRB_Flags
    expected[12] = 0x80;  // SRB_BufLen, little-endian
    std::memcpy(expected.data() + 16, &srb.SRB_BufPointer, sizeof(void*));
    const std::size_t cdbLength = sizeof(void*) == 8 ? 25 : 21;
    const std::size_t cdb = sizeof(void*) == 8 ? 56 : 48;
    expected[cdbLength] = 10;
    const auto block = modeSense10Cdb(0x2A, 128);
    std::copy(block.begin(), block.end(), expected.begin() + cdb);
    EXPECT_EQ(raw, expected);
    EXPECT_EQ(srb.SRB_BufPointer, buffer);
}

TEST(CommandNames, FiftyOneNamesPaddedToTwentyTwo) {
    TSCSIDevice device;
    FillCommandNames(device);
    const auto named = std::count_if(device.cn.begin(), device.cn.end(),
                                     [](const std::string& name) { return !name.empty(); });
    EXPECT_EQ(named, 51);
    for (const std::string& name : device.cn) {
        if (!name.empty()) {
            EXPECT_EQ(name.size(), 22u) << name;
        }
    }
    EXPECT_EQ(device.cn[0x00], "TEST UNIT READY       ");
    EXPECT_EQ(device.cn[0x4A], "GET EVENT/STATUS NOTIF");
    EXPECT_EQ(device.cn[0x5A], "MODE SENSE (10)       ");
    EXPECT_EQ(device.cn[0xA0], "");
    EXPECT_EQ(device.cn[0xFF], "");
}

// The simulated drive accepts exactly the blocks above and refuses near misses, so the
// drive tests catch a block built wrong.
TEST(SimulatedDriveBlocks, NearMissesAreRejected) {
    SimulatedDrive drive(drives::DvdBurner());
    std::vector<std::uint8_t> buffer(128);
    const auto in = DataDirection::In;
    struct Case {
        Bytes cdb;
        DataDirection direction;
        std::size_t length;
        bool accepted;
    };
    const Case cases[] = {
        {ToBytes(inquiryCdb()), in, 64, true},
        {ToBytes(inquiryCdb()), in, 32, false},                  // room for less than asked
        {ToBytes(inquiryCdb()), DataDirection::Out, 64, false},  // wrong direction
        {{0x12, 0x01, 0, 0, 0x40, 0}, in, 64, false},            // EVPD
        {ToBytes(modeSense10Cdb(0xAA, 128)), in, 128, true},
        {{0x5A, 0x08, 0xAA, 0, 0, 0, 0, 0, 0x80, 0}, in, 128, false},  // block descriptors off
        {{0x5A, 0, 0xAA, 0, 0, 0, 0, 0x80, 0x00}, in, 128, false},     // nine bytes
        {{0x5A, 0, 0xAA, 0, 0, 0, 0, 0x80, 0x00, 0}, in, 128, false},  // 32768 bytes asked
        {ToBytes(getConfigurationCdb(2, 0x2A, 112)), in, 112, true},
        {{0x46, 0x02, 0, 0x2A, 0, 0, 0, 0, 0, 0}, in, 112, false},  // nothing asked
        {ToBytes(getEventStatusNotificationCdb(0x10, 8)), in, 8, true},
        {{0x4A, 0x00, 0, 0, 0x10, 0, 0, 0, 8, 0}, in, 8, false},  // not polled
        {{0x4A, 0x01, 0, 0, 0x00, 0, 0, 0, 8, 0}, in, 8, false},  // no class asked for
        {ToBytes(testUnitReadyCdb()), DataDirection::None, 0, true},
        {ToBytes(testUnitReadyCdb()), in, 16, false},
        {{0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, in, 128, false},  // not a command it knows
    };
    std::size_t rejected = 0;
    for (const Case& c : cases) {
        const DriveAnswer answer =
            drive.Execute(c.cdb, c.direction, std::span(buffer).first(c.length));
        EXPECT_EQ(answer.status == 0, c.accepted) << int{c.cdb[0]} << " " << c.cdb.size();
        if (!c.accepted) {
            ++rejected;
            EXPECT_EQ(answer.sense[2], 0x05);
            EXPECT_EQ(drive.Rejected(), rejected);
        }
    }
    EXPECT_EQ(drive.TotalCommands(), std::size(cases));
}

}  // namespace
