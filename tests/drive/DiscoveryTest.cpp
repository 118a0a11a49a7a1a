#include <gtest/gtest.h>

#include <cerrno>

#include "tests/drive/DriveRig.h"

namespace {

using namespace quendra;

const std::string kBurnerWords = "ACME     DVDRAM XR-22     1.02 ";
const std::string kReaderWords = "ACME     DVD-ROM DR-16    2.10 ";
const std::string kBlankWords(8 + 1 + 16 + 1 + 4 + 1, ' ');

TEST(Discovery, OneWriterWithAnAddress) {
    DriveRig rig;
    rig.platform->AddDrive('E', MakeDrive(drives::DvdBurner()), Address(1));
    ASSERT_TRUE(rig.drives().InitializeASPI(false, "", ""));
    EXPECT_EQ(rig.drives().DeviceCount(), 1);
    EXPECT_EQ(rig.drives().GetDeviceName(0), "1:0:0,E: " + kBurnerWords);
    EXPECT_EQ(rig.drives().GetDeviceName(0).size(), 40u);
    EXPECT_EQ(rig.drives().GetDeviceName(1), "");
    EXPECT_EQ(rig.drives().GetDeviceName(255), "");
    EXPECT_TRUE(rig.device().UsingSPTI);
    EXPECT_TRUE(rig.device().ASPIInitialized);
    EXPECT_EQ(rig.device().HaID, 0xFF);
    EXPECT_EQ(rig.device().Target, 0xFF);
    EXPECT_EQ(rig.device().Lun, 0xFF);
    EXPECT_EQ(rig.platform->OpenHandles(), 0u);
    EXPECT_TRUE(rig.platform->loadRequests.empty());
}

TEST(Discovery, DrivesWithoutAddressFollowWithAdapterNumbersOfTheirOwn) {
    struct Case {
        std::vector<std::pair<char, std::optional<ScsiAddress>>> drives;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {{{'D', std::nullopt}, {'E', Address(2)}},
         {"2:0:0,E: " + kBurnerWords, "3:0:0,D: " + kBurnerWords}},
        {{{'D', std::nullopt}, {'F', std::nullopt}},
         {"1:0:0,D: " + kBurnerWords, "2:0:0,F: " + kBurnerWords}},
        {{{'D', std::nullopt}, {'E', Address(4, 1, 2)}, {'F', Address(0, 3)}, {'G', std::nullopt}},
         {"4:1:2,E: " + kBurnerWords, "0:3:0,F: " + kBurnerWords, "5:0:0,D: " + kBurnerWords,
          "6:0:0,G: " + kBurnerWords}},
    };
    for (const Case& c : cases) {
        DriveRig rig;
        for (const auto& [letter, address] : c.drives) {
            rig.platform->AddDrive(letter, MakeDrive(drives::DvdBurner()), address);
        }
        ASSERT_TRUE(rig.drives().InitializeASPI(false, "", ""));
        ASSERT_EQ(rig.drives().DeviceCount(), c.names.size());
        for (std::uint8_t i = 0; i < c.names.size(); ++i) {
            EXPECT_EQ(rig.drives().GetDeviceName(i), c.names[i]);
        }
        EXPECT_EQ(rig.device().Devices[c.names.size() - 1].DriveLetter, c.names.back()[6]);
    }
}

TEST(Discovery, EveryOpticalLetterFindsItsDrive) {
    DriveRig rig;
    rig.platform->SetVolume('C', {kDriveCdrom, MakeDrive(drives::DvdReader()), {}, 0, 0});
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        rig.platform->AddDrive(letter, MakeDrive(drives::DvdReader()));
    }
    ASSERT_TRUE(rig.drives().InitializeASPI(false, "", ""));
    ASSERT_EQ(rig.drives().DeviceCount(), 24);
    EXPECT_EQ(rig.drives().GetDeviceName(0), "1:0:0,C: " + kReaderWords);
    EXPECT_EQ(rig.drives().GetDeviceName(23), "24:0:0,Z: " + kReaderWords);
}

TEST(Discovery, OpeningFailuresAndDriveTypes) {
    DriveRig rig;
    FakeDrivePlatform::Volume readOnlyOnly{kDriveCdrom, MakeDrive(drives::DvdReader()), Address(1),
                                           EACCES, 0};
    FakeDrivePlatform::Volume unopenable{kDriveCdrom, MakeDrive(drives::DvdReader()), Address(2),
                                         EACCES, EACCES};
    FakeDrivePlatform::Volume notOptical{kDriveRemovable, MakeDrive(drives::DvdReader()),
                                         Address(3), 0, 0};
    rig.platform->SetVolume('D', readOnlyOnly);
    rig.platform->SetVolume('E', unopenable);
    rig.platform->SetVolume('F', notOptical);
    ASSERT_TRUE(rig.drives().InitializeASPI(false, "", ""));
    ASSERT_EQ(rig.drives().DeviceCount(), 1);
    EXPECT_EQ(rig.drives().GetDeviceName(0), "1:0:0,D: " + kReaderWords);
}

TEST(Discovery, BadIdentificationStillEndsInAFullWidthName) {
    DriveTable controls = drives::DvdReader();
    controls.vendor = std::string("AC\0ME\x01\x1F", 7);
    controls.product = std::string("\0\0\0\0", 4);
    controls.revision = "\x7F\xAE\t";
    DriveTable disk = drives::DvdReader();
    disk.peripheralType = 0x00;
    const auto failing = MakeDrive(drives::DvdReader());
    failing->Fail(0x12);
    const auto garbage = MakeDrive(drives::DvdReader());
    garbage->Shorten(0x12, 1);

    DriveRig rig;
    rig.platform->zeroFillLikeSgIo = true;
    rig.platform->AddDrive('D', MakeDrive(controls), Address(0));
    rig.platform->AddDrive('E', MakeDrive(disk), Address(0, 1));
    rig.platform->AddDrive('F', failing, Address(0, 2));
    rig.platform->AddDrive('G', nullptr, Address(0, 3));  // transport failure
    rig.platform->AddDrive('H', garbage, Address(0, 4));  // one byte of answer
    ASSERT_TRUE(rig.drives().InitializeASPI(false, "", ""));
    ASSERT_EQ(rig.drives().DeviceCount(), 5);
    EXPECT_EQ(rig.drives().GetDeviceName(0),
              std::string("0:0:0,D: AC ME    ") + std::string(16, ' ') + " \x7F\xAE   ");
    EXPECT_EQ(rig.drives().GetDeviceName(1), "0:1:0,E: " + kBlankWords);
    EXPECT_EQ(rig.drives().GetDeviceName(2), "0:2:0,F: " + kBlankWords);
    EXPECT_EQ(rig.drives().GetDeviceName(3), "0:3:0,G: " + kBlankWords);
    EXPECT_EQ(rig.drives().GetDeviceName(4), "0:4:0,H: " + kBlankWords);
}

TEST(Discovery, NoPassThroughAndNoAspiLibrary) {
    DriveRig rig;
    rig.platform->AddDrive('E', MakeDrive(drives::DvdBurner()), Address(1));
    EXPECT_FALSE(rig.drives().InitializeASPI(true, "", ""));
    EXPECT_EQ(rig.drives().DeviceCount(), 0);
    EXPECT_EQ(rig.platform->opens, 0u);
    EXPECT_EQ(rig.platform->loadRequests, std::vector<std::string>{"WNASPI32.DLL"});
    EXPECT_TRUE(rig.device().DoNotUseSPTI);
    EXPECT_FALSE(rig.device().ASPIInitialized);

    DriveRig empty;  // no optical drive at all: the ASPI route is tried
    EXPECT_FALSE(empty.drives().InitializeASPI(false, "my.dll", ""));
    EXPECT_EQ(empty.platform->loadRequests, std::vector<std::string>{"my.dll"});
}

TEST(Discovery, EachInitialisationStartsFromNothing) {
    DriveRig rig;
    rig.platform->AddDrive('D', MakeDrive(drives::DvdReader()));
    rig.platform->AddDrive('E', MakeDrive(drives::DvdBurner()), Address(1));
    ASSERT_TRUE(rig.drives().InitializeASPI(false, "", ""));
    const std::string first = rig.drives().GetDeviceName(0) + rig.drives().GetDeviceName(1);
    EXPECT_TRUE(rig.device().BurnProof);
    EXPECT_TRUE(rig.drives().SelectDevice(1));
    rig.drives().DeviceCan(77);
    rig.device().FinalizeDisc = true;
    rig.device().TestWrite = true;
    rig.device().CloseFH = true;
    rig.device().DeviceBufferSize = 4096;

    ASSERT_TRUE(rig.drives().InitializeASPI(false, "", ""));
    EXPECT_EQ(rig.drives().GetDeviceName(0) + rig.drives().GetDeviceName(1), first);
    EXPECT_TRUE(rig.device().BurnProof);
    EXPECT_TRUE(rig.device().FinalizeDisc);
    EXPECT_FALSE(rig.device().TestWrite);
    EXPECT_FALSE(rig.device().TV);
    EXPECT_FALSE(rig.device().CloseFH);
    EXPECT_EQ(rig.drives().DeviceBufferSize(), 0u);
    EXPECT_EQ(rig.device().HaID, 0xFF);
    EXPECT_FALSE(rig.drives().TestUnitReady());  // nothing selected
    EXPECT_EQ(rig.platform->OpenHandles(), 0u);  // the selected drive's volume was released
}

}  // namespace
