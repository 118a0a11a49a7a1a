#pragma once

// A simulated MMC drive. It answers INQUIRY, MODE SENSE (10), GET CONFIGURATION, GET EVENT
// STATUS NOTIFICATION and TEST UNIT READY from a small table, checks every command block and
// counts what it receives.
// Like a real drive it writes only the bytes of its answer, so a short answer leaves the
// rest of the caller's buffer as it was.
// Made from a capture instead, it answers every command as the captured drive did.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "demo/aspi/CaptureReplay.h"
#include "demo/aspi/DriveAnswer.h"
#include "drive/DrivePlatform.h"

namespace quendra {

// One feature descriptor the drive reports: its code, the version/persistent/current byte
// and its own data (the first data byte is what the probe calls `info`).
struct FeatureDescriptor {
    std::uint8_t versionFlags = 0x01;  // current
    std::vector<std::uint8_t> data;
};

struct DriveTable {
    std::uint8_t peripheralType = 0x05;  // CD/DVD
    std::string vendor;                  // padded with blanks to 8
    std::string product;                 // padded with blanks to 16
    std::string revision;                // padded with blanks to 4

    // Page 0x2A from its code byte on; `currentPage2A` when current values differ.
    std::vector<std::uint8_t> page2A;
    std::optional<std::vector<std::uint8_t>> currentPage2A;
    bool blockDescriptor = false;                     // one 8-byte block descriptor
    std::optional<std::vector<std::uint8_t>> page30;  // nullopt: CHECK CONDITION

    bool knowsGetConfiguration = true;  // false: GET CONFIGURATION is an invalid command
    std::uint16_t currentProfile = 0;   // 0: no disc
    // The Profile List feature (0x0000), when not empty; the current one is currentProfile.
    std::vector<std::uint16_t> profiles;
    std::map<std::uint16_t, FeatureDescriptor> features;

    // false: GET EVENT STATUS NOTIFICATION is an invalid command. The media event shows a
    // disc while currentProfile is not 0.
    bool knowsEventStatus = true;

    std::optional<SenseData> notReady;  // TEST UNIT READY answer; nullopt: ready
};

class SimulatedDrive {
public:
    explicit SimulatedDrive(DriveTable table);
    // The captured drive: every command block is answered from the capture (see CaptureReplay),
    // none is checked or rejected.
    explicit SimulatedDrive(CaptureReplay replay);

    // Runs one command. A block that is not exactly what this program sends (wrong length,
    // reserved bytes, allocation length beyond the buffer, wrong direction) is rejected with
    // CHECK CONDITION, ILLEGAL REQUEST and counted.
    DriveAnswer Execute(std::span<const std::uint8_t> cdb, DataDirection direction,
                        std::span<std::uint8_t> data);

    // Every later command with this operation code ends in CHECK CONDITION with `sense`, or
    // with another status byte (8: BUSY), which carries no sense data.
    void Fail(std::uint8_t operationCode, SenseData sense = kInvalidFieldInCdb,
              std::uint8_t status = kStatusCheckCondition);
    // MODE SENSE of this page byte (page code with page-control bits) fails.
    void FailModePage(std::uint8_t pageByte, SenseData sense = kInvalidFieldInCdb);
    // Every command fails, as with a drive that is gone.
    void FailEverything(SenseData sense = kInvalidCommand);
    // Answers with this operation code are cut to `bytes` bytes.
    void Shorten(std::uint8_t operationCode, std::size_t bytes);
    // Every later valid command whose block begins with `cdbPrefix` is answered GOOD with
    // these bytes (cut to the allocation length), whatever they say.
    void AnswerWith(std::vector<std::uint8_t> cdbPrefix, std::vector<std::uint8_t> answer);
    // The table, to change the drive after it was made.
    DriveTable& Table() { return table_; }

    std::size_t Count(std::uint8_t operationCode) const;
    std::size_t TotalCommands() const { return commands_.size(); }
    std::size_t Rejected() const { return rejected_; }
    const std::vector<std::vector<std::uint8_t>>& Commands() const { return commands_; }
    void ClearCounts();

private:
    DriveAnswer Inquiry(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data);
    DriveAnswer ModeSense(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data);
    DriveAnswer GetConfiguration(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data);
    DriveAnswer EventStatus(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data);
    DriveAnswer TestUnitReady();
    DriveAnswer Reply(std::uint8_t operationCode, const std::vector<std::uint8_t>& answer,
                      std::size_t allocation, std::span<std::uint8_t> data);
    bool Valid(std::span<const std::uint8_t> cdb, DataDirection direction,
               std::span<std::uint8_t> data) const;

    DriveTable table_;
    std::map<std::uint8_t, std::pair<SenseData, std::uint8_t>> failing_;
    std::map<std::uint8_t, SenseData> failingPages_;
    std::optional<SenseData> failEverything_;
    std::map<std::uint8_t, std::size_t> shortened_;
    std::vector<std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>>> rawAnswers_;
    std::optional<CaptureReplay> replay_;
    std::vector<std::vector<std::uint8_t>> commands_;
    std::size_t rejected_ = 0;
};

// Ready-made drives with invented identities.
namespace drives {

// A DVD-ROM reader with a DVD in it: reads CD-R/RW and DVD-ROM/-R/-RAM, DVD+RW feature
// without write bit; writes nothing. Profiles DVD-ROM and CD-ROM; no microcode upgrade and no
// firmware information.
DriveTable DvdReader();
// A DVD burner with a DVD-R in it: writes CD-R/RW, DVD-R, DVD-RAM, DVD+R/RW, DVD+R DL and
// DVD-RW, with test write and underrun protection; read speed 0x1A90 (6800 kB/s). It lists
// twelve profiles, supports microcode upgrades (M5 set) and dates its firmware
// 2011-03-08 14:22:07.
DriveTable DvdBurner();
// A DVD+R-only writer: page 0x2A shows no write bit, the DVD+RW feature has its write bit.
DriveTable DvdPlusOnlyWriter();
// An old CD-ROM drive that knows neither GET CONFIGURATION nor GET EVENT STATUS NOTIFICATION.
DriveTable OldCdRom();

// Page 0x2A of 30 bytes with these fields (speeds in kB/s, buffer in kB).
std::vector<std::uint8_t> CapabilitiesPage(std::uint8_t readInfo, std::uint8_t writeInfo,
                                           std::uint8_t otherInfo, std::uint16_t maxReadSpeed,
                                           std::uint16_t bufferSize, std::uint16_t curReadSpeed,
                                           std::uint16_t maxWriteSpeed,
                                           std::uint16_t curWriteSpeed);

}  // namespace drives

}  // namespace quendra
