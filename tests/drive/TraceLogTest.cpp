#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "drive/DriveTrace.h"
#include "tests/drive/DriveRig.h"
#include "tests/fakes/TempFolder.h"

namespace {

using namespace quendra;

std::string Repeat(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

TSRB_ExecSCSICmd CompletedTestUnitReady() {
    TSRB_ExecSCSICmd srb = MakeCommandRequest(testUnitReadyCdb(), 0x40, nullptr, 0);
    srb.SRB_HaId = 1;
    srb.SRB_Status = 1;
    return srb;
}

TEST(TraceLine, TestUnitReadyWithoutData) {
    TSCSIDevice device;
    FillCommandNames(device);
    const std::string line =
        FormatTraceLine(CompletedTestUnitReady(), device.cn[0], {14, 5, 9}, std::nullopt);
    EXPECT_EQ(line, "14:05:009 TEST UNIT READY        (00) {40:06} - 1:0:0 <01> [00000] " +
                        Repeat("00 ", 15) + "| 00:00\r\n");
}

TEST(TraceLine, UnnamedCommandDataSenseAndPassThroughError) {
    alignas(8) std::uint8_t data[128];
    for (int i = 0; i < 128; ++i)
        data[i] = static_cast<std::uint8_t>(i);
    const std::array<std::uint8_t, 12> cdb{0xA0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    TSRB_ExecSCSICmd srb = MakeCommandRequest(cdb, 0x48, data, 128);
    srb.SRB_Status = 4;
    std::array<std::uint8_t, 32> sense{};
    sense[12] = 0x3A;
    sense[13] = 0x01;
    srb.SenseArea = sense;

    const std::string line = FormatTraceLine(srb, "", {59, 0, 999}, 5);
    std::string shown;
    for (int i = 0; i < 100; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02X ", i);
        shown += byte;
    }
    EXPECT_EQ(line,
              "59:00:999  (A0) {48:0C} - 0:0:0 <04> [00080] 01 02 03 04 05 06 07 08 09 0A 0B " +
                  Repeat("00 ", 4) + "| " + shown + "3A:01, 5\r\n");
}

TEST(TraceLine, BufferOffFourByteBoundaryIsMarked) {
    alignas(8) std::uint8_t data[8] = {};
    TSRB_ExecSCSICmd srb = MakeCommandRequest(inquiryCdb(4), 0x48, data + 1, 4);
    const std::string line = FormatTraceLine(srb, "INQUIRY", {0, 0, 0}, std::nullopt);
    char address[32];
    std::snprintf(address, sizeof address, "%0*lX", static_cast<int>(sizeof(void*) * 2),
                  static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(data + 1)));
    EXPECT_EQ(line.rfind(std::string("- NAL -> ") + address + " 00:00:000 INQUIRY (12)", 0), 0u)
        << line;

    srb.SRB_BufPointer = data;
    EXPECT_EQ(FormatTraceLine(srb, "INQUIRY", {0, 0, 0}, std::nullopt).rfind("00:00:000", 0), 0u);
}

class TraceLog : public ::testing::Test {
protected:
    void SetUp() override { rig.platform->temporaryFolder = folder.path().string(); }

    TempFolder folder{"quendra-trace"};
    DriveRig rig;  // closes its log before the folder goes
};

TEST_F(TraceLog, ScanAndCommandsOnThePassThroughRoute) {
    rig.platform->AddDrive('E', MakeDrive(drives::DvdBurner()), Address(1));
    FakeDrivePlatform::Volume locked;
    locked.readWriteError = EACCES;
    locked.readOnlyError = EROFS;
    rig.platform->SetVolume('F', locked);
    const auto log = folder / "scan.elg";
    ASSERT_TRUE(rig.drives().InitializeASPI(false, "", log.string()));
    rig.drives().SelectDevice(0);
    rig.component.reset();  // closes the log

    const std::vector<std::string> lines = Lines(ReadFile(log));
    ASSERT_GE(lines.size(), 1u + 24 + 11);
    EXPECT_EQ(lines[0], "GetDriveLibVersion");
    EXPECT_EQ(lines[1], "C: ( 3)");
    EXPECT_EQ(lines[2], "D: ( 1)");
    EXPECT_EQ(lines[3], "E: 5 - ( 1:0:0,E: ACME     DVDRAM XR-22     1.02 )");
    EXPECT_EQ(lines[4], "System Error Code: 13");  // read-write
    EXPECT_EQ(lines[5], "System Error Code: 30");  // read-only, for the log
    EXPECT_EQ(lines[6], "System Error Code: 30");  // read-only
    EXPECT_EQ(lines[7], ")");
    EXPECT_EQ(lines[8], "G: ( 1)");
    EXPECT_EQ(lines[27], "Z: ( 1)");

    // The selection: INQUIRY, three MODE SENSE, seven GET CONFIGURATION.
    const std::vector<std::string> commands(lines.begin() + 28, lines.end());
    ASSERT_EQ(commands.size(), 11u);
    EXPECT_NE(commands[0].find(" INQUIRY                (12) {48:06} - 1:0:0 <01> [00040] "),
              std::string::npos)
        << commands[0];
    EXPECT_NE(commands[1].find("MODE SENSE (10)        (5A) {48:0A}"), std::string::npos);
    EXPECT_NE(commands[10].find("GET CONFIGURATION      (46) {48:0A}"), std::string::npos);
    for (const std::string& line : commands) {
        EXPECT_EQ(line.substr(0, 10), "14:05:009 ");
        EXPECT_EQ(line.substr(line.size() - 3), ", 0") << line;
    }
}

TEST_F(TraceLog, LogThatCannotBeCreatedIsRaised) {
    EXPECT_THROW(rig.drives().InitializeASPI(false, "", (folder / "missing" / "x.elg").string()),
                 std::runtime_error);
}

}  // namespace
