// Recording the commands of a run (RecordingDrivePlatform) and answering from a capture
// (CaptureReplay). That a replay gives the captured run's output is tested with the whole
// probe in tests/cli.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "demo/aspi/CaptureReplay.h"
#include "drive/RecordingDrivePlatform.h"
#include "tests/drive/DriveRig.h"

namespace {

using namespace quendra;

const std::vector<std::uint8_t> kInquiry{0x12, 0x00, 0x00, 0x00, 0x40, 0x00};
const std::vector<std::uint8_t> kTestUnitReady(6, 0x00);

DriveTable EmptyBurner() {
    DriveTable table = drives::DvdBurner();
    table.currentProfile = 0;
    table.notReady = kMediumNotPresent;
    return table;
}

TEST(CaptureRecording, NamesEachPassThroughCommandByTheDriveListsAddressAndLetter) {
    auto fake = std::make_shared<FakeDrivePlatform>();
    fake->zeroFillLikeSgIo = true;
    fake->AddDrive('D', MakeDrive(drives::DvdReader()), Address(1));
    fake->AddDrive('E', MakeDrive(EmptyBurner()));  // no address: listed as 2:0:0
    fake->SetVolume('F', {});                       // opens; its commands fail in the transport
    auto recorder = std::make_shared<RecordingDrivePlatform>(fake);
    TDriveComponent drives(recorder);
    ASSERT_TRUE(drives.InitializeASPI(false, "", ""));
    ASSERT_EQ(drives.DeviceCount(), 3);
    ASSERT_TRUE(drives.SelectDevice(1));
    EXPECT_FALSE(drives.TestUnitReady());

    const Capture capture = recorder->CaptureOf(drives.Device);
    ASSERT_GE(capture.exchanges.size(), 4u);
    const CapturedExchange& reader = capture.exchanges[0];
    EXPECT_EQ(std::tie(reader.adapter, reader.target, reader.lun, reader.letter),
              std::make_tuple(1, 0, 0, 'D'));
    EXPECT_EQ(reader.cdb, kInquiry);
    EXPECT_EQ(reader.direction, DataDirection::In);
    EXPECT_EQ(reader.length, 64u);
    ASSERT_EQ(reader.data.size(), 36u);  // the drive's 36 bytes; the zeros after them left out
    EXPECT_EQ(std::string(reader.data.begin() + 8, reader.data.end()),
              "ACME    DVD-ROM DR-16   2.10");
    EXPECT_EQ(reader.status, 0);
    EXPECT_EQ(reader.outcome, CaptureOutcome::Delivered);
    EXPECT_TRUE(reader.sense.empty());

    const CapturedExchange& burner = capture.exchanges[1];
    EXPECT_EQ(std::tie(burner.adapter, burner.letter), std::make_tuple(2, 'E'));

    const CapturedExchange& gone = capture.exchanges[2];
    EXPECT_EQ(std::tie(gone.adapter, gone.letter), std::make_tuple(3, 'F'));
    EXPECT_EQ(gone.outcome, CaptureOutcome::OsError);
    EXPECT_EQ(gone.outcomeCode, static_cast<std::uint32_t>(EIO));

    const CapturedExchange& notReady = capture.exchanges.back();
    EXPECT_EQ(notReady.letter, 'E');
    EXPECT_EQ(notReady.cdb, kTestUnitReady);
    EXPECT_EQ(notReady.direction, DataDirection::None);
    EXPECT_EQ(notReady.length, 0u);
    EXPECT_TRUE(notReady.data.empty());
    EXPECT_EQ(notReady.status, kStatusCheckCondition);
    EXPECT_EQ(notReady.sense, WithoutTrailingZeros(FixedSense(kMediumNotPresent)));
    EXPECT_EQ(notReady.outcome, CaptureOutcome::Delivered);
}

TEST(CaptureRecording, RecordsPendingAspiRequestsOnceCompleteAndOnlyForListedDrives) {
    auto fake = std::make_shared<FakeDrivePlatform>();
    auto bus = std::make_shared<SimulatedAspiBus>();
    bus->Attach(0, 1, 0, MakeDrive(EmptyBurner()), 'E');
    fake->InstallAspiLibrary("WNASPI32.DLL", bus, SimulatedAspiBus::Completion::Pending);
    auto recorder = std::make_shared<RecordingDrivePlatform>(fake);
    TDriveComponent drives(recorder);
    ASSERT_TRUE(drives.InitializeASPI(true, "", ""));
    ASSERT_TRUE(drives.SelectDevice(0));
    EXPECT_FALSE(drives.TestUnitReady());

    const Capture capture = recorder->CaptureOf(drives.Device);
    constexpr std::size_t kEmptyAddressesScanned = 8 * 7 - 1;
    EXPECT_EQ(bus->PendingRequests(), bus->ExecuteRequests());
    EXPECT_EQ(capture.exchanges.size(), bus->ExecuteRequests() - kEmptyAddressesScanned);
    for (const CapturedExchange& exchange : capture.exchanges) {
        EXPECT_EQ(std::tie(exchange.adapter, exchange.target, exchange.lun, exchange.letter),
                  std::make_tuple(0, 1, 0, 'E'));
    }
    ASSERT_EQ(capture.exchanges.front().cdb, kInquiry);
    EXPECT_EQ(capture.exchanges.front().data.at(0), 0x05);  // read after completion
    EXPECT_EQ(capture.exchanges.back().status, kStatusCheckCondition);
    EXPECT_EQ(capture.exchanges.back().sense, WithoutTrailingZeros(FixedSense(kMediumNotPresent)));
    EXPECT_EQ(capture.exchanges.back().outcome, CaptureOutcome::Delivered);
}

TEST(CaptureRecording, BlanksASerialNumberADriveSendsUnasked) {
    // A drive that answers every GET CONFIGURATION with all its features, the Drive Serial
    // Number feature among them.
    const std::string serial = "SN0123456789";
    std::vector<std::uint8_t> answer{0,    0,    0,    28,   0, 0, 0x00, 0x10,  // header, DVD-ROM
                                     0x00, 0x00, 0x03, 0x04,                    // profile list
                                     0x00, 0x10, 0x01, 0x00,   //   DVD-ROM, current
                                     0x01, 0x08, 0x03, 0x0C};  // drive serial number
    answer.insert(answer.end(), serial.begin(), serial.end());
    auto drive = MakeDrive(drives::DvdReader());
    drive->AnswerWith({0x46}, answer);
    auto fake = std::make_shared<FakeDrivePlatform>();
    fake->AddDrive('D', drive, Address(1));
    auto recorder = std::make_shared<RecordingDrivePlatform>(fake);
    TDriveComponent drives(recorder);
    drives.InitializeASPI(false, "", "");
    drives.SelectDevice(0);
    const DriveDetails details = drives.ReadDetails();
    ASSERT_TRUE(details.profiles.has_value());  // the program itself read the answer unchanged
    EXPECT_EQ(details.profiles->size(), 1u);

    std::size_t configurations = 0;
    for (const CapturedExchange& exchange : recorder->CaptureOf(drives.Device).exchanges) {
        if (exchange.cdb[0] != 0x46)
            continue;
        ++configurations;
        std::vector<std::uint8_t> kept(answer.begin(), answer.end() - 12);
        EXPECT_EQ(exchange.data, kept) << "the feature stays, its bytes are gone";
    }
    EXPECT_GT(configurations, 7u);
}

CapturedExchange Captured(std::vector<std::uint8_t> cdb, std::uint8_t status,
                          std::vector<std::uint8_t> data = {}, std::uint32_t length = 0) {
    CapturedExchange exchange;
    exchange.cdb = std::move(cdb);
    exchange.status = status;
    exchange.direction = length == 0 ? DataDirection::None : DataDirection::In;
    exchange.length = length;
    exchange.data = std::move(data);
    if (status == kStatusCheckCondition)
        exchange.sense = FixedSense(kMediumNotPresent);
    return exchange;
}

TEST(CaptureReplay, AnswersEachBlockInTheCapturedOrderThenWithTheLastAnswerAgain) {
    CaptureReplay replay({Captured(kTestUnitReady, kStatusCheckCondition),
                          Captured(kInquiry, 0, {0x05, 0x80, 0x05}, 8),
                          Captured(kTestUnitReady, 0)});
    EXPECT_EQ(replay.Answer(kTestUnitReady, {}).status, kStatusCheckCondition);
    EXPECT_EQ(replay.Answer(kTestUnitReady, {}).status, 0);
    EXPECT_EQ(replay.Answer(kTestUnitReady, {}).status, 0);

    // The captured bytes, then zeros up to the captured length; nothing past it.
    std::vector<std::uint8_t> buffer(12, 0xEE);
    const DriveAnswer inquiry = replay.Answer(kInquiry, buffer);
    EXPECT_EQ(inquiry.status, 0);
    EXPECT_EQ(inquiry.dataLength, 8u);
    EXPECT_EQ(buffer,
              (std::vector<std::uint8_t>{0x05, 0x80, 0x05, 0, 0, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST(CaptureReplay, EndsTheTransportAsCaptured) {
    CapturedExchange failed = Captured(kInquiry, 0, {}, 64);
    failed.outcome = CaptureOutcome::OsError;
    failed.outcomeCode = EIO;
    CapturedExchange refused = Captured(kTestUnitReady, 0);
    refused.outcome = CaptureOutcome::AspiStatus;
    refused.outcomeCode = 0x04;
    CaptureReplay replay({failed, refused});
    std::vector<std::uint8_t> buffer(64);
    EXPECT_EQ(replay.Answer(kInquiry, buffer).transportError, static_cast<std::uint32_t>(EIO));
    EXPECT_EQ(replay.Answer(kTestUnitReady, {}).aspiStatus, std::optional<std::uint8_t>(0x04));
}

TEST(CaptureReplay, RefusesWhatWasNotCapturedAsAnIllegalRequest) {
    CaptureReplay replay({Captured(kInquiry, 0, {0x05}, 64)});
    const struct {
        std::vector<std::uint8_t> cdb;
        SenseData sense;
    } cases[] = {
        {{0x12, 0x00, 0x00, 0x00, 0x24, 0x00}, kInvalidFieldInCdb},  // another INQUIRY
        {{0x12, 0x01, 0x80, 0x00, 0x40, 0x00}, kInvalidFieldInCdb},  // a serial number page
        {{0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kInvalidCommand},        // never sent
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> buffer(64, 0xEE);
        const DriveAnswer answer = replay.Answer(c.cdb, buffer);
        EXPECT_EQ(answer.status, kStatusCheckCondition);
        EXPECT_EQ(answer.sense, FixedSense(c.sense));
        EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](auto b) { return b == 0xEE; }));
    }
}

}  // namespace
