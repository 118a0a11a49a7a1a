#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "tests/drive/DriveRig.h"

namespace {

using namespace quendra;
using Bytes = std::vector<std::uint8_t>;

const Bytes kProfileListBlock{0x46, 0x02, 0x00, 0x00};
const Bytes kMicrocodeBlock{0x46, 0x02, 0x01, 0x04};
const Bytes kFirmwareBlock{0x46, 0x02, 0x01, 0x0C};
const Bytes kMediaEventBlock{0x4A, 0x01, 0x00, 0x00, 0x10};

struct DetailsRig {
    DriveRig rig;
    std::shared_ptr<SimulatedDrive> drive;

    explicit DetailsRig(DriveTable table) : drive(MakeDrive(std::move(table))) {
        rig.platform->AddDrive('D', drive, Address(1));
        rig.InitializeAndSelect(0);
        drive->ClearCounts();
    }
    DriveDetails Read() { return rig.drives().ReadDetails(); }

    // The first bytes of each command block sent since the selection.
    std::vector<Bytes> Blocks(std::size_t prefix = 4) const {
        std::vector<Bytes> blocks;
        for (const auto& cdb : drive->Commands())
            blocks.emplace_back(cdb.begin(), cdb.begin() + std::min(prefix, cdb.size()));
        return blocks;
    }
};

std::vector<std::uint16_t> Codes(const std::vector<DriveProfile>& profiles) {
    std::vector<std::uint16_t> codes;
    for (const DriveProfile& profile : profiles)
        codes.push_back(profile.code);
    return codes;
}

TEST(DriveDetails, BurnerAnswersEveryDetail) {
    DetailsRig burner(drives::DvdBurner());
    const TSCSIDevice before = [&] {
        TSCSIDevice copy;
        copy.ModePage2A = burner.rig.device().ModePage2A;
        copy.ConfigHeader = burner.rig.device().ConfigHeader;
        copy.dc = burner.rig.device().dc;
        copy.tmpBuffer = burner.rig.device().tmpBuffer;
        return copy;
    }();

    const DriveDetails details = burner.Read();
    ASSERT_TRUE(details.profiles);
    EXPECT_EQ(Codes(*details.profiles),
              (std::vector<std::uint16_t>{0x12, 0x11, 0x15, 0x14, 0x13, 0x1A, 0x1B, 0x2B, 0x10,
                                          0x09, 0x0A, 0x08}));
    EXPECT_EQ(std::count_if(details.profiles->begin(), details.profiles->end(),
                            [](const DriveProfile& p) { return p.current; }),
              1);
    EXPECT_TRUE((*details.profiles)[1].current);
    EXPECT_EQ(details.currentProfile, 0x0011);
    ASSERT_TRUE(details.microcodeUpgrade);
    EXPECT_TRUE(details.microcodeUpgrade->supported);
    EXPECT_EQ(details.microcodeUpgrade->m5, true);
    ASSERT_TRUE(details.firmwareDate);
    EXPECT_EQ(details.firmwareDate->year, 2011);
    EXPECT_EQ(details.firmwareDate->second, 7);
    EXPECT_EQ(details.discPresent, true);

    EXPECT_EQ(burner.Blocks(5), (std::vector<Bytes>{{0x46, 0x02, 0x00, 0x00, 0x00},
                                                    {0x46, 0x02, 0x01, 0x04, 0x00},
                                                    {0x46, 0x02, 0x01, 0x0C, 0x00},
                                                    kMediaEventBlock}));
    EXPECT_EQ(burner.drive->Rejected(), 0u);
    // The probe's records are not the details' buffers.
    const TSCSIDevice& after = burner.rig.device();
    EXPECT_EQ(std::memcmp(&after.ModePage2A, &before.ModePage2A, sizeof after.ModePage2A), 0);
    EXPECT_EQ(std::memcmp(&after.ConfigHeader, &before.ConfigHeader, sizeof after.ConfigHeader), 0);
    EXPECT_EQ(std::memcmp(&after.dc, &before.dc, sizeof after.dc), 0);
    EXPECT_EQ(after.tmpBuffer, before.tmpBuffer);
}

TEST(DriveDetails, WhatOtherDrivesLack) {
    DriveTable emptyBurner = drives::DvdBurner();
    emptyBurner.currentProfile = 0;
    DriveTable emptyCdRom = drives::OldCdRom();
    emptyCdRom.notReady = kMediumNotPresent;

    DetailsRig reader(drives::DvdReader());
    const DriveDetails read = reader.Read();
    EXPECT_EQ(Codes(read.profiles.value()), (std::vector<std::uint16_t>{0x10, 0x08}));
    ASSERT_TRUE(read.microcodeUpgrade);  // answered, without the feature
    EXPECT_FALSE(read.microcodeUpgrade->supported);
    EXPECT_FALSE(read.firmwareDate);
    EXPECT_EQ(read.discPresent, true);

    DetailsRig empty(emptyBurner);
    const DriveDetails none = empty.Read();
    EXPECT_EQ(none.currentProfile, 0);
    EXPECT_TRUE(std::none_of(none.profiles->begin(), none.profiles->end(),
                             [](const DriveProfile& p) { return p.current; }));
    EXPECT_EQ(none.discPresent, false);

    // A disc the drive has no profile for: the media event tells.
    DetailsRig unknownDisc(emptyBurner);
    unknownDisc.drive->AnswerWith(kMediaEventBlock, {0x00, 0x04, 0x04, 0x10, 0x00, 0x02, 0, 0});
    EXPECT_EQ(unknownDisc.Read().discPresent, true);

    // No GET CONFIGURATION, no media event: only TEST UNIT READY tells about the disc.
    for (const auto& [table, present] :
         {std::pair{drives::OldCdRom(), true}, std::pair{emptyCdRom, false}}) {
        DetailsRig old(table);
        const DriveDetails details = old.Read();
        EXPECT_FALSE(details.profiles || details.currentProfile || details.microcodeUpgrade ||
                     details.firmwareDate);
        EXPECT_EQ(details.discPresent, present);
        EXPECT_EQ(old.drive->Count(0x00), 1u);
        EXPECT_EQ(old.drive->Rejected(), 0u);
    }

    DetailsRig gone(drives::DvdBurner());
    gone.drive->FailEverything();
    const DriveDetails nothing = gone.Read();
    EXPECT_FALSE(nothing.profiles || nothing.currentProfile || nothing.microcodeUpgrade ||
                 nothing.firmwareDate || nothing.discPresent);
}

TEST(DriveDetails, AnswersThatLieEndInAMissingDetail) {
    DetailsRig liar(drives::DvdBurner());
    // Profile list whose length is not whole descriptors; the header's profile still counts.
    liar.drive->AnswerWith(kProfileListBlock, {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x11, 0x00,
                                               0x00, 0x03, 0x06, 0x00, 0x11, 0x01, 0x00});
    // Microcode Upgrade descriptor running past the data length.
    liar.drive->AnswerWith(kMicrocodeBlock, {0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x11, 0x01,
                                             0x04, 0x07, 0x40, 0x01, 0x00, 0x00, 0x00});
    // Firmware Information with a month of 19.
    Bytes firmware{0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00, 0x11, 0x01, 0x0C, 0x03, 0x10};
    const std::string date = "20111908142207\0\0";
    firmware.insert(firmware.end(), date.begin(), date.end());
    liar.drive->AnswerWith(kFirmwareBlock, firmware);
    // "No event available": the current profile tells instead.
    liar.drive->AnswerWith(kMediaEventBlock, {0x00, 0x00, 0x80, 0x10});

    const DriveDetails details = liar.Read();
    EXPECT_FALSE(details.profiles);
    EXPECT_EQ(details.currentProfile, 0x0011);
    EXPECT_FALSE(details.microcodeUpgrade);
    EXPECT_FALSE(details.firmwareDate);
    EXPECT_EQ(details.discPresent, true);
    EXPECT_EQ(liar.drive->Count(0x00), 0u);
}

// Random bytes of random lengths as every details answer: the reader never reads past an
// answer (AddressSanitizer watches) and never sends a block the drive rejects.
TEST(DriveDetails, RandomAnswersAreSurvived) {
    std::mt19937 random(19);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> length(0, 48);
    const auto noise = [&] {
        Bytes bytes(length(random));
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(byte(random));
        // Small lengths, so that descriptors are found at all.
        if (bytes.size() > 3)
            bytes[0] = bytes[1] = bytes[2] = 0;
        return bytes;
    };
    for (int round = 0; round < 200; ++round) {
        DetailsRig drive(drives::DvdBurner());
        for (const Bytes& block :
             {kProfileListBlock, kMicrocodeBlock, kFirmwareBlock, kMediaEventBlock}) {
            drive.drive->AnswerWith(block, noise());
        }
        const DriveDetails details = drive.Read();
        if (details.firmwareDate) {
            EXPECT_GE(details.firmwareDate->month, 1);
            EXPECT_LE(details.firmwareDate->month, 12);
        }
        EXPECT_EQ(drive.drive->Rejected(), 0u);
    }
}

}  // namespace
