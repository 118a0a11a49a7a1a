#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/drive/DriveRig.h"
#include "tests/fakes/TempFolder.h"

namespace {

using namespace quendra;
using Completion = SimulatedAspiBus::Completion;

class AspiRoute : public ::testing::Test {
protected:
    std::shared_ptr<SimulatedDrive> Attach(std::uint8_t adapter, std::uint8_t target,
                                           DriveTable table, std::optional<char> letter) {
        auto drive = MakeDrive(std::move(table));
        bus->Attach(adapter, target, 0, drive, letter);
        return drive;
    }
    bool Initialize(Completion completion = Completion::Synchronous) {
        rig.platform->InstallAspiLibrary("WNASPI32.DLL", bus, completion);
        return rig.drives().InitializeASPI(true, "", "");
    }

    DriveRig rig;
    std::shared_ptr<SimulatedAspiBus> bus = std::make_shared<SimulatedAspiBus>();
};

TEST_F(AspiRoute, ScanListsDrivesInAddressOrderWithTheirLetters) {
    bus->SetAdapterCount(2);
    Attach(1, 1, drives::DvdBurner(), 'F');                   // letter from get-disk-information
    Attach(0, 2, drives::DvdReader(), std::nullopt);          // letter from the volume's address
    Attach(1, 5, drives::DvdPlusOnlyWriter(), std::nullopt);  // no letter anywhere
    DriveTable disk = drives::DvdReader();
    disk.peripheralType = 0;
    Attach(0, 0, disk, 'C');  // not a CD/DVD device
    rig.platform->SetVolume('G', {kDriveCdrom, nullptr, ScsiAddress{0, 0, 2, 0}, EACCES, 0});

    ASSERT_TRUE(Initialize());
    EXPECT_FALSE(rig.device().UsingSPTI);
    EXPECT_TRUE(rig.device().ASPIInitialized);
    ASSERT_EQ(rig.drives().DeviceCount(), 3);
    EXPECT_EQ(rig.drives().GetDeviceName(0), "0:2:0,G: ACME     DVD-ROM DR-16    2.10 ");
    EXPECT_EQ(rig.drives().GetDeviceName(1), "1:1:0,F: ACME     DVDRAM XR-22     1.02 ");
    EXPECT_EQ(rig.drives().GetDeviceName(2), "1:5:0,?: ACME     DVD+RW XP-8      3.01 ");
    EXPECT_EQ(bus->ExecuteRequests(), 2u * 8 * 7);
    EXPECT_EQ(bus->DiskInfoRequests(), 3u);
    EXPECT_EQ(rig.platform->OpenHandles(), 0u);
}

TEST_F(AspiRoute, AdapterCountZeroMeansSeven) {
    bus->SetAdapterCount(0);
    Attach(6, 7, drives::DvdBurner(), 'E');
    ASSERT_TRUE(Initialize());
    EXPECT_EQ(bus->ExecuteRequests(), 7u * 8 * 7);
    EXPECT_EQ(rig.drives().GetDeviceName(0), "6:7:0,E: ACME     DVDRAM XR-22     1.02 ");
}

TEST_F(AspiRoute, OnlyDriveLettersAreTakenFromDiskInformation) {
    Attach(0, 0, drives::DvdBurner(), static_cast<char>('A' + 200));
    ASSERT_TRUE(Initialize());
    EXPECT_EQ(rig.drives().GetDeviceName(0), "0:0:0,?: ACME     DVDRAM XR-22     1.02 ");
}

TEST_F(AspiRoute, MissingOrUnsupportedLibrary) {
    Attach(0, 0, drives::DvdBurner(), 'E');
    EXPECT_FALSE(rig.drives().InitializeASPI(true, "", ""));  // nothing installed
    bus->SetSupportInfo(0);
    EXPECT_FALSE(Initialize());
    EXPECT_EQ(rig.drives().DeviceCount(), 0);
    EXPECT_FALSE(rig.device().ASPIInitialized);
    EXPECT_EQ(bus->ExecuteRequests(), 0u);
}

TEST_F(AspiRoute, TableHoldsTwentySixDrives) {
    for (std::uint8_t target = 0; target < 8; ++target) {
        for (std::uint8_t lun = 0; lun < 4; ++lun) {
            bus->Attach(0, target, lun, MakeDrive(drives::DvdReader()), 'D');
        }
    }
    ASSERT_TRUE(Initialize());
    EXPECT_EQ(rig.drives().DeviceCount(), 26);
    EXPECT_EQ(rig.drives().GetDeviceName(25).substr(0, 9), "0:6:1,D: ");
}

TEST_F(AspiRoute, PendingRequestsAreAwaitedThroughTheirEvents) {
    const auto burner = Attach(0, 1, drives::DvdBurner(), 'E');
    ASSERT_TRUE(Initialize(Completion::Pending));
    ASSERT_EQ(rig.drives().DeviceCount(), 1);
    burner->ClearCounts();
    EXPECT_TRUE(rig.drives().SelectDevice(0));
    EXPECT_EQ(burner->TotalCommands(), 11u);
    EXPECT_TRUE(rig.drives().DeviceIsBurner());
    EXPECT_TRUE(rig.drives().DeviceCan(26));
    EXPECT_EQ(rig.drives().DeviceMaxReadSpeed(), 6800);
    EXPECT_EQ(bus->PendingRequests(), bus->ExecuteRequests());
    EXPECT_EQ(rig.platform->eventsCreated, rig.platform->eventsClosed);
}

TEST_F(AspiRoute, CheckConditionSenseComesFromTheLibrary) {
    DriveTable empty = drives::DvdBurner();
    empty.notReady = kMediumNotPresent;
    Attach(0, 0, empty, 'E');
    ASSERT_TRUE(Initialize(Completion::Alternate));
    rig.drives().SelectDevice(0);
    rig.drives().ErrorNumber();
    EXPECT_FALSE(rig.drives().TestUnitReady());
    EXPECT_EQ(rig.device().LastSenseInfo.AddSenseCode, 0x3A);
    EXPECT_EQ(rig.drives().ErrorNumber(), 14848u);
}

TEST_F(AspiRoute, WithoutACompletionEventNothingIsSent) {
    Attach(0, 0, drives::DvdBurner(), 'E');
    ASSERT_TRUE(Initialize());
    rig.platform->failEventCreation = true;
    const std::size_t before = bus->ExecuteRequests();
    EXPECT_FALSE(rig.drives().SelectDevice(0));
    EXPECT_FALSE(rig.drives().TestUnitReady());
    EXPECT_EQ(bus->ExecuteRequests(), before);
    EXPECT_EQ(rig.drives().DeviceMaxReadSpeed(), 0);
}

TEST_F(AspiRoute, TraceLinesCarryNoPassThroughError) {
    const TempFolder folder("quendra-aspi-trace");
    rig.platform->temporaryFolder = folder.path().string();
    Attach(0, 0, drives::DvdBurner(), 'E');
    ASSERT_TRUE(Initialize());
    rig.drives().SelectDevice(0);
    ASSERT_TRUE(rig.drives().DeviceCan(72));
    rig.drives().TestUnitReady();
    ASSERT_TRUE(rig.drives().DeviceCan(73));

    std::ifstream in(folder / "drivetrace.elg", std::ios::binary);
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first, "GetDriveLibVersion\r");
    EXPECT_EQ(second.rfind("14:05:009 TEST UNIT READY        (00) {40:06} - 0:0:0 <01> ", 0), 0u);
    EXPECT_EQ(second.substr(second.size() - 8), "| 00:00\r");
}

}  // namespace
