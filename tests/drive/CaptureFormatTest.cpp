// The text form of a capture: what is written, that it reads back as it was, and that bad
// input is refused with the line at fault.

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <variant>

#include "drive/Capture.h"

namespace {

using namespace quendra;

CapturedExchange Exchange(std::uint8_t adapter, char letter, std::vector<std::uint8_t> cdb) {
    CapturedExchange exchange;
    exchange.adapter = adapter;
    exchange.letter = letter;
    exchange.cdb = std::move(cdb);
    return exchange;
}

// An INQUIRY answered, an empty drive's TEST UNIT READY, a pass-through call that failed, and
// an ASPI request the library failed on a drive without a letter.
Capture Sample() {
    Capture capture;
    CapturedExchange inquiry = Exchange(1, 'E', {0x12, 0, 0, 0, 0x40, 0});
    inquiry.direction = DataDirection::In;
    inquiry.length = 64;
    inquiry.data = {0x05, 0x80, 0x05, 0x32, 0x1F, 0x00, 0x00, 0x00, 'A', 'C', 'M', 'E'};
    inquiry.elapsed = std::chrono::microseconds(512);
    CapturedExchange ready = Exchange(1, 'E', {0, 0, 0, 0, 0, 0});
    ready.status = 0x02;
    ready.sense = {0x70, 0x00, 0x02, 0, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0x3A};
    ready.elapsed = std::chrono::microseconds(96);
    CapturedExchange failed = Exchange(1, 'E', {0x5A, 0, 0xAA, 0, 0, 0, 0, 0, 0x80, 0});
    failed.direction = DataDirection::In;
    failed.length = 128;
    failed.outcome = CaptureOutcome::OsError;
    failed.outcomeCode = 5;
    CapturedExchange refused = Exchange(0, '?', {0x46, 0x02, 0x00, 0x2A, 0, 0, 0, 0, 0x70, 0});
    refused.target = 3;
    refused.lun = 1;
    refused.direction = DataDirection::In;
    refused.length = 112;
    refused.outcome = CaptureOutcome::AspiStatus;
    refused.outcomeCode = 0x82;
    capture.exchanges = {inquiry, ready, failed, refused};
    return capture;
}

const std::string kSampleText =
    "quendra-capture 1\n"
    "# address letter command direction length status outcome time sense data\n"
    "1:0:0 E 120000004000 in 64 00 ok 512us - 058005321F00000041434D45\n"
    "1:0:0 E 000000000000 none 0 02 ok 96us 700002000000000A000000003A -\n"
    "1:0:0 E 5A00AA00000000008000 in 128 00 error=5 0us - -\n"
    "0:3:1 ? 4602002A000000007000 in 112 00 srb=82 0us - -\n"
    "end 4\n";

TEST(CaptureFormat, WritesOneLinePerCommandBetweenTheVersionAndTheEndLine) {
    EXPECT_EQ(FormatCapture(Sample()), kSampleText);
}

TEST(CaptureFormat, ReadsBackWhatItWrote) {
    const auto parsed = ParseCapture(FormatCapture(Sample()));
    ASSERT_TRUE(std::holds_alternative<Capture>(parsed))
        << CaptureErrorText(std::get<CaptureError>(parsed));
    EXPECT_EQ(std::get<Capture>(parsed), Sample());
}

TEST(CaptureFormat, ReadsWhatAMailerMayMakeOfIt) {
    // Line breaks as CR LF, lower-case hex, runs of blanks, comments and empty lines.
    const std::string text =
        "quendra-capture 1\r\n"
        "\r\n"
        "# a comment\r\n"
        "1:0:0  E 120000004000 in 64 00 ok 512us -   058005321f00000041434d45\r\n"
        "1:0:0 E 000000000000 none 0 02 ok 96us 700002000000000a000000003a -\r\n"
        "1:0:0 E 5a00aa00000000008000 in 128 00 error=5 0us - -\r\n"
        "0:3:1 ? 4602002a000000007000 in 112 00 srb=82 0us - -\r\n"
        "end 4\r\n";
    const auto parsed = ParseCapture(text);
    ASSERT_TRUE(std::holds_alternative<Capture>(parsed))
        << CaptureErrorText(std::get<CaptureError>(parsed));
    EXPECT_EQ(std::get<Capture>(parsed), Sample());
}

TEST(CaptureFormat, GroupsTheCommandsByDriveInTheOrderTheDrivesFirstAppear) {
    Capture capture;
    capture.exchanges = {Exchange(2, 'F', {0x12}), Exchange(1, 'D', {0x12}),
                         Exchange(2, 'F', {0x00}), Exchange(1, 'D', {0x5A})};
    const std::vector<CapturedDrive> drives = CapturedDrives(capture);
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].letter, 'F');
    EXPECT_EQ(drives[0].adapter, 2);
    ASSERT_EQ(drives[0].exchanges.size(), 2u);
    EXPECT_EQ(drives[0].exchanges[1].cdb, std::vector<std::uint8_t>{0x00});
    EXPECT_EQ(drives[1].letter, 'D');
    EXPECT_EQ(drives[1].exchanges.size(), 2u);
}

struct BadCapture {
    const char* name;
    std::string text;
    std::size_t line;
    const char* message;
};

const std::string kHead = "quendra-capture 1\n";
const std::string kGood = "1:0:0 E 120000004000 in 64 00 ok 512us - 0580\n";

class CaptureFormatRefuses : public testing::TestWithParam<BadCapture> {};

TEST_P(CaptureFormatRefuses, NamingTheLineAtFault) {
    const BadCapture& bad = GetParam();
    const auto parsed = ParseCapture(bad.text);
    ASSERT_TRUE(std::holds_alternative<CaptureError>(parsed)) << bad.name;
    const CaptureError& error = std::get<CaptureError>(parsed);
    EXPECT_EQ(error.line, bad.line) << CaptureErrorText(error);
    EXPECT_NE(error.message.find(bad.message), std::string::npos) << CaptureErrorText(error);
    EXPECT_EQ(CaptureErrorText(error).rfind("line " + std::to_string(bad.line) + ": ", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, CaptureFormatRefuses,
    testing::Values(
        BadCapture{"empty", "", 1, "not a capture"},
        BadCapture{"no version line", kGood + "end 1\n", 1, "not a capture"},
        BadCapture{"later version", "quendra-capture 2\nend 0\n", 1, "version '2'"},
        BadCapture{"cut after a line", kHead + kGood, 3, "cut short: no end line"},
        BadCapture{"cut inside a line", kHead + kGood + "1:0:0 E 5A00AA0000", 3,
                   "3 fields where 10 are expected"},
        BadCapture{"joined lines", kHead + kGood.substr(0, kGood.size() - 1) + ' ' + kGood, 2,
                   "20 fields"},
        BadCapture{"end line counts more", kHead + kGood + "end 2\n", 3,
                   "counts 2 exchanges, the capture holds 1"},
        BadCapture{"end line without a count", kHead + kGood + "end\n", 3, "'end N'"},
        BadCapture{"text after the end", kHead + kGood + "end 1\n" + kGood, 4,
                   "after the end line (line 3)"},
        BadCapture{"odd hex in the command", kHead + "1:0:0 E 12000000400 in 64 00 ok 1us - -\n", 2,
                   "odd number of hex digits (11) in the command"},
        BadCapture{"odd hex in the data", kHead + "1:0:0 E 120000004000 in 64 00 ok 1us - 058\n", 2,
                   "odd number of hex digits (3) in the data"},
        BadCapture{"not hex in the sense", kHead + "1:0:0 E 000000000000 none 0 02 ok 1us 70G0 -\n",
                   2, "'G0' is not a hex byte in the sense"},
        BadCapture{"data longer than the length",
                   kHead + "1:0:0 E 120000000200 in 2 00 ok 1us - 058005\n", 2,
                   "3 data bytes for a length of 2"},
        BadCapture{"data on a command without data",
                   kHead + "1:0:0 E 000000000000 none 0 00 ok 1us - 00FF\n", 2,
                   "data for a command that reads none"},
        BadCapture{"sense past its area",
                   kHead + "1:0:0 E 000000000000 none 0 02 ok 1us " + std::string(66, 'A') + " -\n",
                   2, "sense of 33 bytes"},
        BadCapture{"command too long",
                   kHead + "1:0:0 E " + std::string(34, '0') + " none 0 00 ok 1us - -\n", 2,
                   "a command of 17 bytes"},
        BadCapture{"no command", kHead + "1:0:0 E - none 0 00 ok 1us - -\n", 2,
                   "a command of 0 bytes"},
        BadCapture{"address out of range", kHead + "1:256:0 E 00 none 0 00 ok 1us - -\n", 2,
                   "not an address"},
        BadCapture{"address without a unit", kHead + "1:0 E 00 none 0 00 ok 1us - -\n", 2,
                   "not an address"},
        BadCapture{"letter", kHead + "1:0:0 e 00 none 0 00 ok 1us - -\n", 2, "not a drive letter"},
        BadCapture{"direction", kHead + "1:0:0 E 00 both 0 00 ok 1us - -\n", 2, "not a direction"},
        BadCapture{"length", kHead + "1:0:0 E 00 none -1 00 ok 1us - -\n", 2,
                   "not a transfer length"},
        BadCapture{"status", kHead + "1:0:0 E 00 none 0 002 ok 1us - -\n", 2,
                   "odd number of hex digits (3) in the status"},
        BadCapture{"outcome", kHead + "1:0:0 E 00 none 0 00 error=x 1us - -\n", 2,
                   "not an outcome"},
        BadCapture{"time", kHead + "1:0:0 E 00 none 0 00 ok 1ms - -\n", 2,
                   "not a time in microseconds"},
        BadCapture{"a drive changes its letter",
                   kHead + kGood + "1:0:0 F 00 none 0 00 ok 1us - -\n", 3,
                   "drive 1:0:0 has letter F here but E on line 2"},
        BadCapture{"a letter changes its drive",
                   kHead + kGood + "2:0:0 E 00 none 0 00 ok 1us - -\n", 3,
                   "letter E is drive 2:0:0 here but 1:0:0 on line 2"}),
    [](const testing::TestParamInfo<BadCapture>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

}  // namespace
