#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "drive/Capabilities.h"
#include "drive/ErrorText.h"
#include "tests/drive/DriveRig.h"
#include "tests/fakes/TempFolder.h"
#include "util/TextRules.h"

namespace {

using namespace quendra;

TEST(DeviceCan, EachIdentifierAnswersItsOwnFlag) {
    const std::pair<int, bool TDC::*> expected[] = {
        {1, &TDC::Read_CDR},         {2, &TDC::Read_CDRW},
        {3, &TDC::Read_DVDRAM},      {4, &TDC::Read_DVDR},
        {5, &TDC::Read_DVDRW},       {6, &TDC::Read_DVDPLUSR},
        {7, &TDC::Read_DVDPLUSRW},   {8, &TDC::Read_DVDPLUSRDL},
        {9, &TDC::Read_HDDVDROM},    {10, &TDC::Read_HDDVDR},
        {11, &TDC::Read_HDDVDRAM},   {12, &TDC::Read_BDROM},
        {13, &TDC::Read_BDR},        {14, &TDC::Read_BDRE},
        {21, &TDC::Write_CDR},       {22, &TDC::Write_CDRW},
        {23, &TDC::Write_DVDRAM},    {24, &TDC::Write_DVDR},
        {25, &TDC::Write_DVDRW},     {26, &TDC::Write_DVDPLUSR},
        {27, &TDC::Write_DVDPLUSRW}, {28, &TDC::Write_DVDPLUSRDL},
        {29, &TDC::Write_HDDVDR},    {30, &TDC::Write_HDDVDRAM},
        {31, &TDC::Write_BDR},       {32, &TDC::Write_BDRE},
        {41, &TDC::TestWrite},       {42, &TDC::UnderRunProtection},
    };
    ASSERT_EQ(DriveCapabilities().size(), std::size(expected));
    DriveRig rig;
    for (const auto& [capabilityId, flag] : expected) {
        rig.device().dc = TDC{};
        rig.device().dc.*flag = true;
        for (int id = 0; id < 256; ++id) {
            if (id == 72 || id == 73)
                continue;
            EXPECT_EQ(rig.drives().DeviceCan(static_cast<std::uint8_t>(id)), id == capabilityId)
                << "flag of " << capabilityId << " asked as " << id;
        }
    }
    // Two flags have no identifier.
    rig.device().dc = TDC{};
    rig.device().dc.Read_Method2 = rig.device().dc.Read_DVDROM = true;
    for (int id = 0; id < 256; ++id) {
        if (id != 72 && id != 73) {
            EXPECT_FALSE(rig.drives().DeviceCan(static_cast<std::uint8_t>(id)));
        }
    }
    std::memset(&rig.device().dc, 1, sizeof(TDC));
    for (const int id : {0, 15, 20, 40, 43, 255})
        EXPECT_FALSE(rig.drives().DeviceCan(id)) << id;
    EXPECT_TRUE(rig.device().TV);  // 77 answered false but switched
}

class TraceSwitches : public ::testing::Test {
protected:
    void SetUp() override {
        rig.platform->temporaryFolder = folder.path().string();
        rig.platform->AddDrive('E', MakeDrive(drives::DvdBurner()), Address(1));
        rig.InitializeAndSelect();
    }

    std::string Log() {
        std::ifstream in(folder / "drivetrace.elg", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    TempFolder folder{"quendra-trace"};
    DriveRig rig;  // closes its log before the folder goes
};

TEST_F(TraceSwitches, OnWritesCommandsOffStops) {
    EXPECT_FALSE(rig.drives().DeviceCan(73));
    EXPECT_TRUE(rig.drives().DeviceCan(72));
    EXPECT_EQ(Log(), "GetDriveLibVersion\r\n");
    rig.drives().TestUnitReady();
    EXPECT_TRUE(rig.drives().DeviceCan(73));
    rig.drives().TestUnitReady();
    EXPECT_FALSE(rig.drives().DeviceCan(73));
    const std::string log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
    EXPECT_NE(log.find("TEST UNIT READY"), std::string::npos);

    EXPECT_TRUE(rig.drives().DeviceCan(72));  // opening again starts a new file
    EXPECT_EQ(Log(), "GetDriveLibVersion\r\n");
}

TEST_F(TraceSwitches, LogThatCannotBeCreatedIsRaisedAndTheOpenOneKept) {
    ASSERT_TRUE(rig.drives().DeviceCan(72));
    rig.platform->temporaryFolder = (folder / "missing").string();
    EXPECT_THROW(rig.drives().DeviceCan(72), std::runtime_error);
    rig.drives().TestUnitReady();
    EXPECT_TRUE(rig.drives().DeviceCan(73));
    EXPECT_NE(Log().find("TEST UNIT READY"), std::string::npos);
}

TEST(Queries, DvdPlusOnlyWriterIsNoBurner) {
    DriveRig rig;
    rig.platform->AddDrive('D', MakeDrive(drives::DvdPlusOnlyWriter()));
    rig.InitializeAndSelect();
    EXPECT_TRUE(rig.drives().DeviceCan(26));
    EXPECT_TRUE(rig.drives().DeviceCan(27));
    EXPECT_FALSE(rig.drives().DeviceIsBurner());
    EXPECT_EQ(rig.drives().DeviceBufferSize(), 0u);
}

TEST(Queries, EmptyDriveErrorIsReadOnce) {
    for (const std::uint8_t qualifier : {0x00, 0x01, 0x02}) {
        DriveTable table = drives::DvdBurner();
        table.notReady = SenseData{0x02, 0x3A, qualifier};
        DriveRig rig;
        rig.platform->AddDrive('D', MakeDrive(table));
        rig.InitializeAndSelect();
        rig.drives().ErrorNumber();

        EXPECT_FALSE(rig.drives().TestUnitReady());
        EXPECT_EQ(rig.drives().ErrorNumber(), 14848u + qualifier);
        EXPECT_EQ(rig.drives().ErrorNumber(), 0u);
        EXPECT_EQ(rig.drives().ErrorString(), "Unknown/No Error!");

        EXPECT_FALSE(rig.drives().TestUnitReady());
        EXPECT_EQ(rig.drives().ErrorString(),
                  "Hardware Error " + std::to_string(14848 + qualifier));
        EXPECT_EQ(rig.drives().ErrorNumber(), 0u);
        EXPECT_FALSE(rig.drives().TestUnitReady());
        EXPECT_EQ(rig.drives().ErrorStringW(), u"Hardware Error \\'" + Decimal(14848u + qualifier));
        EXPECT_EQ(rig.drives().ErrorStringW(), u"Unknown/No Error!");
    }
}

TEST(Queries, EngineErrorComesFirst) {
    DriveRig rig;
    rig.device().DeviceError = 0x3A00;
    rig.drives().CDFiles.ErrorNumber = 3;
    rig.drives().CDFiles.FileName = "disc.iso";
    EXPECT_EQ(rig.drives().ErrorString(), "Error creating file \\disc.iso\\");
    EXPECT_EQ(rig.drives().ErrorNumber(), 14848u);
    EXPECT_EQ(rig.drives().ErrorNumber(), 0u);
}

TEST(ErrorTexts, BothForms) {
    struct Case {
        std::uint32_t number;
        std::string file;
        std::string text;
        std::u16string wide;
    };
    const Case cases[] = {
        {0, "", "Unknown/No Error!", u"Unknown/No Error!"},
        {1, "", "Data not prepared ", u"Data not prepared"},
        {2, "a.iso", "Error opening file \\a.iso\\", u"Error opening file \\'a.iso\\'"},
        {2, "", "Error opening file", u"Error opening file \\'\\'"},
        {3, "\xE9t\xE9.iso", "Error creating file \\\xE9t\xE9.iso\\",
         u"Error creating file \\'\u00E9t\u00E9.iso\\'"},
        {3, "", "Error creating file", u"Error creating file"},
        {4, "", "Aborted by user", u"Aborted by user"},
        {5, "", "Hardware Error 5", u"Hardware Error \\'5"},
        {14850, "x", "Hardware Error 14850", u"Hardware Error \\'14850"},
        {4294967295u, "", "Hardware Error 4294967295", u"Hardware Error \\'4294967295"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorText(c.number, c.file), c.text) << c.number;
        EXPECT_EQ(ErrorTextW(c.number, c.file), c.wide) << c.number;
    }
}

TEST(Queries, LongErrorTextsAreCut) {
    DriveRig rig;
    rig.drives().CDFiles.ErrorNumber = 2;
    rig.drives().CDFiles.FileName = std::string(300, 'x');
    EXPECT_EQ(rig.drives().ErrorString().size(), 256u);
    rig.drives().CDFiles.ErrorNumber = 2;
    EXPECT_EQ(rig.drives().ErrorStringW().size(), 258u);
}

TEST(Queries, SpeedReadsProbeAgainAndRefreshTheAnswers) {
    DriveRig rig;
    const auto drive = MakeDrive(drives::DvdBurner());
    rig.platform->AddDrive('D', drive);
    rig.InitializeAndSelect();
    ASSERT_TRUE(rig.drives().DeviceIsBurner());

    drive->Table() = drives::DvdReader();  // the drive now answers differently
    EXPECT_TRUE(rig.drives().DeviceIsBurner());
    EXPECT_TRUE(rig.drives().DeviceCan(21));
    rig.drives().TestUnitReady();
    EXPECT_TRUE(rig.drives().DeviceIsBurner());  // other commands leave the records alone

    EXPECT_EQ(rig.drives().DeviceMaxWriteSpeed(), 0);
    EXPECT_FALSE(rig.drives().DeviceIsBurner());
    EXPECT_FALSE(rig.drives().DeviceCan(21));
    EXPECT_EQ(rig.drives().DeviceMaxReadSpeed(), 8467);
}

}  // namespace
