#include <gtest/gtest.h>

#include "drive/Capabilities.h"
#include "drive/CapabilityProbe.h"
#include "tests/drive/DriveRig.h"

namespace {

using namespace quendra;

// The capability answers of the last probe, by identifier.
std::map<int, bool> Answers(TDriveComponent& drives) {
    std::map<int, bool> answers;
    for (const DriveCapability& c : DriveCapabilities())
        answers[c.id] = drives.DeviceCan(c.id);
    return answers;
}

std::map<int, bool> Only(std::initializer_list<int> ids) {
    std::map<int, bool> answers;
    for (const DriveCapability& c : DriveCapabilities())
        answers[c.id] = false;
    for (int id : ids)
        answers[id] = true;
    return answers;
}

class Selection : public ::testing::Test {
protected:
    std::shared_ptr<SimulatedDrive> Add(char letter, DriveTable table) {
        auto drive = MakeDrive(std::move(table));
        rig.platform->AddDrive(letter, drive, Address(1, static_cast<std::uint8_t>(letter - 'D')));
        return drive;
    }
    void Initialize() {
        ASSERT_TRUE(rig.drives().InitializeASPI(false, "", ""));
        for (auto& drive : added)
            drive->ClearCounts();
    }

    DriveRig rig;
    std::vector<std::shared_ptr<SimulatedDrive>> added;
};

TEST_F(Selection, SelectionSendsOneInquiryAndAProbeOfTenCommands) {
    const auto burner = Add('D', drives::DvdBurner());
    added = {burner};
    Initialize();
    EXPECT_TRUE(rig.drives().SelectDevice(0));
    EXPECT_EQ(burner->Count(0x12), 1u);
    EXPECT_EQ(burner->Count(0x5A), 3u);
    EXPECT_EQ(burner->Count(0x46), 7u);
    EXPECT_EQ(burner->TotalCommands(), 11u);
    EXPECT_EQ(burner->Rejected(), 0u);

    // Each operation code with its page (INQUIRY, MODE SENSE) or feature (GET CONFIGURATION):
    // MODE SENSE page 0x2A and feature 0x2A look alike on their own.
    std::vector<std::pair<int, int>> order;
    for (const auto& cdb : burner->Commands())
        order.emplace_back(cdb[0], cdb[0] == 0x46 ? cdb[3] : cdb[2]);
    EXPECT_EQ(order, (std::vector<std::pair<int, int>>{{0x12, 0x00},
                                                       {0x5A, 0xAA},
                                                       {0x5A, 0x2A},
                                                       {0x5A, 0xB0},
                                                       {0x46, 0x2A},
                                                       {0x46, 0x3B},
                                                       {0x46, 0x2F},
                                                       {0x46, 0x40},
                                                       {0x46, 0x41},
                                                       {0x46, 0x50},
                                                       {0x46, 0x51}}));

    burner->ClearCounts();
    rig.drives().MaxWriteSpeed();
    EXPECT_EQ(burner->Count(0x12), 0u);
    EXPECT_EQ(burner->Count(0x5A), 3u);
    EXPECT_EQ(burner->Count(0x46), 7u);
}

TEST_F(Selection, BurnerCapabilitiesAndSpeeds) {
    DriveTable table = drives::DvdBurner();
    // Current values differ from the defaults.
    table.currentPage2A = drives::CapabilitiesPage(0x3F, 0x37, 0x80, 4000, 2048, 2770, 4155, 1385);
    Add('D', table);
    Initialize();
    ASSERT_TRUE(rig.drives().SelectDevice(0));
    EXPECT_EQ(Answers(rig.drives()),
              Only({1, 2, 3, 4, 5, 6, 7, 8, 21, 22, 23, 24, 25, 26, 27, 28, 41, 42}));
    EXPECT_TRUE(rig.drives().DeviceIsBurner());
    const TModePage2A& page = rig.device().ModePage2A;
    EXPECT_EQ(+page.PageCode, 0x2A);
    EXPECT_EQ(+page.MaxReadSpeed, 4000);
    EXPECT_EQ(+page.CurReadSpeed, 2770);
    EXPECT_EQ(+page.MaxWriteSpeed, 4155);
    EXPECT_EQ(+page.CurWriteSpeed, 1385);
    EXPECT_EQ(+page.BufferSize, 2048);
    EXPECT_EQ(+page.NumVolLevels, 0x0001);               // 0x0100 on the wire, left as received
    EXPECT_EQ(rig.drives().DeviceMaxReadSpeed(), 6800);  // 0x1A90 in the default values
    EXPECT_EQ(rig.drives().DeviceMaxWriteSpeed(), 5540);
    EXPECT_EQ(rig.drives().ReadSpeed(), 2770);
    EXPECT_EQ(rig.drives().WriteSpeed(), 1385);
    EXPECT_EQ(rig.drives().MaxWriteSpeed(), 4155);
}

TEST_F(Selection, PageAfterABlockDescriptorOrWithAWrongCodeByte) {
    for (const bool descriptor : {false, true}) {
        DriveTable table = drives::DvdBurner();
        table.blockDescriptor = descriptor;
        DriveRig rig;
        rig.platform->AddDrive('E', MakeDrive(table), Address(1));
        rig.InitializeAndSelect();
        EXPECT_EQ(rig.drives().DeviceMaxReadSpeed(), 6800) << descriptor;
        EXPECT_TRUE(rig.drives().DeviceIsBurner());
    }

    DriveTable table = drives::DvdBurner();
    table.page2A[0] = 0xAA;
    Add('D', table);
    Initialize();
    rig.drives().SelectDevice(0);
    // No page: no speeds and no page flags; page 0x30 and the features still count.
    EXPECT_EQ(Answers(rig.drives()), Only({6, 7, 8, 5, 25, 26, 27, 28, 42}));
    EXPECT_FALSE(rig.drives().DeviceIsBurner());
    EXPECT_EQ(rig.drives().DeviceMaxReadSpeed(), 0);
}

TEST_F(Selection, DriveWithoutDiscAcceptsEveryAnsweredFeature) {
    DriveTable empty = drives::DvdBurner();
    empty.currentProfile = 0;
    empty.features.clear();  // answers every feature with the header alone
    // Features the drive does not name: every flag whose rule accepts "no profile" is set;
    // the bit tests read whatever `info` byte the buffer holds.
    const std::map<int, bool> noDisc = Only({6, 7, 9, 10, 11, 12, 13, 14, 29, 30, 31, 32,  //
                                             1, 2, 3, 4,  21, 22, 23, 24, 41, 42});
    Add('D', drives::DvdBurner());
    Add('E', empty);
    Initialize();

    rig.drives().SelectDevice(1);  // nothing left over yet
    EXPECT_EQ(Answers(rig.drives()), noDisc);

    rig.drives().SelectDevice(0);  // the burner's last full answer is feature 0x2F, info 0x42
    rig.drives().SelectDevice(1);
    std::map<int, bool> carried = noDisc;
    carried[5] = carried[25] = true;  // DVD-RW bit of the left-over info byte
    EXPECT_EQ(Answers(rig.drives()), carried);
    EXPECT_EQ(rig.device().ConfigHeader.info, 0x42);
}

TEST_F(Selection, OnSgIoShortAnswersLeaveZerosBehind) {
    rig.platform->zeroFillLikeSgIo = true;
    DriveTable empty = drives::DvdBurner();
    empty.currentProfile = 0;
    empty.features.clear();
    Add('D', drives::DvdBurner());
    Add('E', empty);
    Initialize();
    rig.drives().SelectDevice(0);
    rig.drives().SelectDevice(1);
    EXPECT_FALSE(rig.drives().DeviceCan(5));
    EXPECT_EQ(rig.device().ConfigHeader.info, 0);
}

TEST_F(Selection, RejectedCommands) {
    const auto noPage = Add('D', drives::DvdBurner());
    noPage->FailModePage(0xAA);
    const auto old = Add('E', drives::OldCdRom());
    const auto gone = Add('F', drives::DvdBurner());
    const auto mute = Add('G', drives::DvdBurner());
    added = {noPage, old, gone, mute};
    Initialize();
    gone->FailEverything();
    mute->Fail(0x12);

    // The page cannot be read: the probe stops at once.
    EXPECT_TRUE(rig.drives().SelectDevice(0));
    EXPECT_EQ(Answers(rig.drives()), Only({}));
    EXPECT_EQ(noPage->Count(0x5A), 1u);
    EXPECT_EQ(noPage->Count(0x46), 0u);
    EXPECT_EQ(rig.drives().DeviceMaxReadSpeed(), 0);
    EXPECT_EQ(rig.drives().DeviceMaxWriteSpeed(), 0);

    // No GET CONFIGURATION: the page flags stand.
    EXPECT_TRUE(rig.drives().SelectDevice(1));
    EXPECT_EQ(Answers(rig.drives()), Only({1, 2}));
    EXPECT_EQ(rig.drives().DeviceMaxReadSpeed(), 7800);

    // Every command rejected.
    EXPECT_FALSE(rig.drives().SelectDevice(2));
    EXPECT_EQ(Answers(rig.drives()), Only({}));
    EXPECT_FALSE(rig.drives().DeviceIsBurner());

    // The INQUIRY fails but the probe runs.
    EXPECT_FALSE(rig.drives().SelectDevice(3));
    EXPECT_TRUE(rig.drives().DeviceIsBurner());
    EXPECT_TRUE(rig.drives().DeviceCan(26));
}

TEST_F(Selection, IndexOutsideTheTableKeepsThePreviousRecords) {
    const auto burner = Add('D', drives::DvdBurner());
    added = {burner};
    Initialize();
    ASSERT_TRUE(rig.drives().SelectDevice(0));
    burner->ClearCounts();

    EXPECT_FALSE(rig.drives().SelectDevice(1));
    EXPECT_EQ(rig.device().HaID, 0xFF);
    EXPECT_EQ(rig.device().Target, 0xFF);
    EXPECT_EQ(rig.device().Lun, 0xFF);
    EXPECT_EQ(rig.device().DriveLetter, '?');
    EXPECT_TRUE(rig.drives().DeviceIsBurner());
    EXPECT_TRUE(rig.drives().DeviceCan(26));
    EXPECT_EQ(burner->TotalCommands(), 0u);
    EXPECT_FALSE(rig.drives().TestUnitReady());
    EXPECT_EQ(burner->TotalCommands(), 0u);

    // A speed read probes again and finds nothing selected.
    EXPECT_EQ(rig.drives().DeviceMaxReadSpeed(), 0);
    EXPECT_FALSE(rig.drives().DeviceIsBurner());
}

TEST_F(Selection, ByLetter) {
    Add('D', drives::DvdReader());
    Add('E', drives::DvdBurner());
    Initialize();
    EXPECT_TRUE(rig.drives().SelectDeviceByLetter('E'));
    EXPECT_EQ(rig.device().SelectedDevice, 1);
    EXPECT_EQ(rig.device().DriveLetter, 'E');
    EXPECT_FALSE(rig.drives().SelectDeviceByLetter('Q'));
    EXPECT_EQ(rig.device().DriveLetter, 'E');  // no match: the selection stays
    EXPECT_FALSE(rig.drives().SelectDeviceByLetter('\0'));

    // Several entries with one letter: the last stays selected.
    DriveRig aspi;
    auto bus = std::make_shared<SimulatedAspiBus>();
    bus->Attach(0, 0, 0, MakeDrive(drives::DvdBurner()));
    bus->Attach(0, 1, 0, MakeDrive(drives::DvdReader()));
    aspi.platform->InstallAspiLibrary("WNASPI32.DLL", bus);
    EXPECT_FALSE(aspi.drives().SelectDeviceByLetter('?'));  // empty table
    ASSERT_TRUE(aspi.drives().InitializeASPI(true, "", ""));
    EXPECT_TRUE(aspi.drives().SelectDeviceByLetter('?'));
    EXPECT_EQ(aspi.device().SelectedDevice, 1);
    EXPECT_FALSE(aspi.drives().DeviceIsBurner());
}

// Each bit of the capabilities page alone, on a drive without GET CONFIGURATION and page
// 0x30, so that nothing else sets a flag.
TEST(CapabilityPage, EachFlagComesFromItsOwnBit) {
    struct BitCase {
        int byte, bit;
        bool TDC::*flag;  // nullptr: a bit no flag reads
    };
    const BitCase cases[] = {
        {2, 0, &TDC::Read_CDR},
        {2, 1, &TDC::Read_CDRW},
        {2, 2, &TDC::Read_Method2},
        {2, 3, &TDC::Read_DVDROM},
        {2, 4, &TDC::Read_DVDR},
        {2, 5, &TDC::Read_DVDRAM},
        {2, 6, nullptr},
        {2, 7, nullptr},
        {3, 0, &TDC::Write_CDR},
        {3, 1, &TDC::Write_CDRW},
        {3, 2, &TDC::TestWrite},
        {3, 3, nullptr},
        {3, 4, &TDC::Write_DVDR},
        {3, 5, &TDC::Write_DVDRAM},
        {3, 6, nullptr},
        {3, 7, nullptr},
        {4, 6, nullptr},
        {4, 7, &TDC::UnderRunProtection},
    };
    for (const BitCase& c : cases) {
        DriveTable table = drives::OldCdRom();
        table.page2A = drives::CapabilitiesPage(0, 0, 0, 7800, 128, 7800, 0, 0);
        table.page2A[c.byte] = static_cast<std::uint8_t>(1 << c.bit);
        DriveRig rig;
        rig.platform->AddDrive('D', MakeDrive(table), Address(1));
        rig.InitializeAndSelect();
        TDC expected{};
        if (c.flag)
            expected.*c.flag = true;
        const auto bytes = RecordBytes(rig.device().dc);
        const auto wanted = RecordBytes(expected);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), wanted.begin()))
            << "byte " << c.byte << " bit " << c.bit;
    }
}

TEST(CapabilityPage, LocatedOnlyByItsWholeCodeByte) {
    std::vector<std::uint8_t> answer(128, 0);
    EXPECT_EQ(LocateCapabilitiesPage(answer), std::nullopt);
    answer[16] = 0x2A;
    EXPECT_EQ(LocateCapabilitiesPage(answer), 16u);
    answer[8] = 0x2A;
    EXPECT_EQ(LocateCapabilitiesPage(answer), 8u);
    answer[8] = 0xAA;
    answer[16] = 0xAA;
    EXPECT_EQ(LocateCapabilitiesPage(answer), std::nullopt);
    EXPECT_EQ(LocateCapabilitiesPage(std::span(answer).first(40)), std::nullopt);  // too short
}

}  // namespace
