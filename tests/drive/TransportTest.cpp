#include <gtest/gtest.h>

#include <cerrno>

#include "tests/drive/DriveRig.h"

namespace {

using namespace quendra;

TSRB_ExecSCSICmd TestUnitReadyRequest() {
    return MakeCommandRequest(testUnitReadyCdb(), 0x40, nullptr, 0);
}

class Transport : public ::testing::Test {
protected:
    void SetUp() override {
        drive = MakeDrive(drives::DvdBurner());
        rig.platform->AddDrive('E', drive, Address(1));
    }

    std::uint8_t Execute(TSRB_ExecSCSICmd& srb) {
        return ExecuteCommand(*rig.platform, rig.device(), srb);
    }

    DriveRig rig;
    std::shared_ptr<SimulatedDrive> drive;
};

TEST_F(Transport, RefusedWithoutRouteOrSelectionAndNothingChanges) {
    TSENSE marker{};
    marker.AddSenseCode = 0x3A;
    const auto refusedQuietly = [&] {
        rig.device().DeviceError = 0x1234;
        rig.device().LastSenseInfo = marker;
        TSRB_ExecSCSICmd srb = TestUnitReadyRequest();
        EXPECT_EQ(Execute(srb), 4);
        EXPECT_EQ(srb.SRB_Status, 4);
        EXPECT_EQ(rig.device().DeviceError, 0x1234);
        EXPECT_EQ(rig.device().LastSenseInfo.AddSenseCode, 0x3A);
        EXPECT_TRUE(rig.platform->passThroughs.empty());
    };
    refusedQuietly();  // never initialised

    ASSERT_TRUE(rig.drives().InitializeASPI(false, "", ""));
    rig.platform->passThroughs.clear();
    refusedQuietly();  // no drive selected

    rig.device().HaID = 1;  // a target of 0xFF alone is enough
    refusedQuietly();
}

TEST_F(Transport, PassThroughRequestCarriesDirectionLengthsAndTimeLimit) {
    rig.InitializeAndSelect();
    struct Case {
        std::uint8_t flags;
        DataDirection direction;
    };
    for (const Case c : {Case{0x48, DataDirection::In}, Case{0x50, DataDirection::Out},
                         Case{0x40, DataDirection::None}, Case{0x00, DataDirection::None},
                         Case{0x58, DataDirection::In}}) {
        std::uint8_t buffer[16] = {};
        TSRB_ExecSCSICmd srb = MakeCommandRequest(inquiryCdb(16), c.flags, buffer, sizeof buffer);
        rig.platform->passThroughs.clear();
        Execute(srb);
        ASSERT_EQ(rig.platform->passThroughs.size(), 1u);
        const auto& sent = rig.platform->passThroughs.front();
        EXPECT_EQ(sent.direction, c.direction) << int{c.flags};
        EXPECT_EQ(sent.letter, 'E');
        EXPECT_EQ(sent.cdb.size(), 6u);
        EXPECT_EQ(sent.dataLength, 16u);
        EXPECT_EQ(sent.senseLength, 24u);
        EXPECT_EQ(sent.timeout, std::chrono::seconds(60));
        EXPECT_EQ(srb.SRB_Cmd, 2);
        EXPECT_EQ(srb.SRB_HaId, 1);
        EXPECT_EQ(srb.SRB_SenseLen, 24);
    }
}

TEST_F(Transport, CheckConditionKeepsSenseAndDeviceErrorPersists) {
    drive->Table().notReady = kMediumNotPresent;
    drive->FailModePage(0x2A, SenseData{0x05, 0x24, 0x00});
    rig.InitializeAndSelect();
    rig.device().DeviceError = 0;

    TSRB_ExecSCSICmd tur = TestUnitReadyRequest();
    EXPECT_EQ(Execute(tur), 4);
    EXPECT_EQ(tur.SRB_TargStat, 2);
    EXPECT_EQ(rig.device().LastSenseInfo.ErrorCode, 0x70);
    EXPECT_EQ(rig.device().LastSenseInfo.SenseKey, 0x02);
    EXPECT_EQ(rig.device().LastSenseInfo.AddSenseCode, 0x3A);
    EXPECT_EQ(rig.device().DeviceError, 0x3A00);
    const std::array<std::uint8_t, 32> area = tur.SenseArea;
    EXPECT_TRUE(std::all_of(area.begin() + 24, area.end(), [](auto b) { return b == 0; }));

    // Good commands leave zero sense behind but do not touch the pending error.
    for (int i = 0; i < 3; ++i) {
        std::uint8_t data[64];
        TSRB_ExecSCSICmd inquiry = MakeCommandRequest(inquiryCdb(), 0x48, data, 64);
        EXPECT_EQ(Execute(inquiry), 1);
        const std::array<std::uint8_t, 32> sense = inquiry.SenseArea;
        EXPECT_TRUE(std::all_of(sense.begin(), sense.end(), [](auto b) { return b == 0; }));
        EXPECT_EQ(rig.device().LastSenseInfo.AddSenseCode, 0);
        EXPECT_EQ(rig.device().DeviceError, 0x3A00);
    }

    // Only another sense code replaces it.
    TSRB_ExecSCSICmd current =
        MakeCommandRequest(modeSense10Cdb(0x2A, 128), 0x48, rig.device().tmpBuffer.data(), 128);
    EXPECT_EQ(Execute(current), 4);
    EXPECT_EQ(rig.device().DeviceError, 0x2400);
}

TEST_F(Transport, VolumeThatCannotBeOpenedFailsWithTheErrorOfTheCall) {
    rig.InitializeAndSelect();
    FakeDrivePlatform::Volume locked;
    locked.drive = drive;
    locked.readWriteError = EACCES;
    locked.readOnlyError = EACCES;
    rig.platform->SetVolume('E', locked);
    rig.drives().SelectDevice(0);  // closes the open volume

    TSRB_ExecSCSICmd tur = TestUnitReadyRequest();
    EXPECT_EQ(Execute(tur), 4);
    EXPECT_EQ(rig.device().LastWinError, static_cast<std::uint32_t>(EBADF));
    EXPECT_EQ(rig.device().Handle, kInvalidVolume);
    EXPECT_EQ(rig.device().LastSenseInfo.AddSenseCode, 0);
}

TEST_F(Transport, TransportFailureIsAFailureNotZeros) {
    rig.platform->AddDrive('F', nullptr, Address(2));
    rig.InitializeAndSelect(1);
    TSRB_ExecSCSICmd tur = TestUnitReadyRequest();
    EXPECT_EQ(Execute(tur), 4);
    EXPECT_EQ(rig.device().LastWinError, static_cast<std::uint32_t>(EIO));

    rig.drives().SelectDevice(0);
    TSRB_ExecSCSICmd good = TestUnitReadyRequest();
    EXPECT_EQ(Execute(good), 1);
    EXPECT_EQ(rig.device().LastWinError, 0u);
}

TEST_F(Transport, VolumeOpensOnceAndClosesOnSelectionOrEveryCommandWithCloseFH) {
    rig.drives().InitializeASPI(false, "", "");
    EXPECT_FALSE(rig.device().CloseFH);
    const std::size_t scanOpens = rig.platform->opens;
    rig.drives().SelectDevice(0);  // eleven commands
    TSRB_ExecSCSICmd a = TestUnitReadyRequest();
    TSRB_ExecSCSICmd b = TestUnitReadyRequest();
    Execute(a);
    Execute(b);
    EXPECT_EQ(rig.platform->opens, scanOpens + 1);
    EXPECT_EQ(rig.platform->OpenHandles(), 1u);

    rig.device().CloseFH = true;
    Execute(a);
    Execute(b);
    EXPECT_EQ(rig.platform->opens, scanOpens + 2);  // the open volume served the first
    EXPECT_EQ(rig.platform->OpenHandles(), 0u);
    EXPECT_EQ(rig.device().Handle, kInvalidVolume);

    rig.device().CloseFH = false;
    Execute(a);
    EXPECT_EQ(rig.platform->OpenHandles(), 1u);
    rig.drives().SelectDevice(0);  // the selection closes it; its commands reopen it
    EXPECT_EQ(rig.platform->OpenHandles(), 1u);
    EXPECT_EQ(rig.platform->opens, scanOpens + 4);
    rig.component.reset();
    EXPECT_EQ(rig.platform->OpenHandles(), 0u);
}

TEST_F(Transport, TargetBusyFollowsTheLastCommand) {
    drive->Fail(0x00, {}, kStatusBusy);
    rig.InitializeAndSelect();
    TSRB_ExecSCSICmd tur = TestUnitReadyRequest();
    EXPECT_EQ(Execute(tur), 4);
    EXPECT_EQ(tur.SRB_TargStat, 8);
    EXPECT_TRUE(rig.device().TargetBusy);

    std::uint8_t data[64];
    TSRB_ExecSCSICmd inquiry = MakeCommandRequest(inquiryCdb(), 0x48, data, 64);
    EXPECT_EQ(Execute(inquiry), 1);
    EXPECT_FALSE(rig.device().TargetBusy);
}

TEST_F(Transport, Write10AddressSwitchClearsTheTopAddressBytes) {
    rig.InitializeAndSelect();
    const std::array<std::uint8_t, 10> write10{0x2A, 0, 0x12, 0x34, 0x56, 0x78, 0, 0, 1, 0};
    for (const bool switched : {false, true}) {
        if (switched) {
            EXPECT_FALSE(rig.drives().DeviceCan(77));
        }
        std::uint8_t data[2048] = {};
        TSRB_ExecSCSICmd srb = MakeCommandRequest(write10, 0x50, data, sizeof data);
        rig.platform->passThroughs.clear();
        Execute(srb);
        ASSERT_EQ(rig.platform->passThroughs.size(), 1u);
        const auto& cdb = rig.platform->passThroughs.front().cdb;
        EXPECT_EQ(cdb[2], switched ? 0x00 : 0x12);
        EXPECT_EQ(cdb[3], switched ? 0x00 : 0x34);
        EXPECT_EQ(cdb[4], 0x56);
        EXPECT_EQ(cdb[5], 0x78);
    }
}

}  // namespace
