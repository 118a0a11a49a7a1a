#include "demo/aspi/SimulatedDrive.h"

#include <algorithm>
#include <utility>

#include "util/ByteOrder.h"

namespace quendra {

namespace {

constexpr std::uint8_t kTestUnitReady = 0x00;
constexpr std::uint8_t kInquiry = 0x12;
constexpr std::uint8_t kGetConfiguration = 0x46;
constexpr std::uint8_t kGetEventStatus = 0x4A;
constexpr std::uint8_t kModeSense10 = 0x5A;

void PutPadded(std::vector<std::uint8_t>& out, std::size_t offset, const std::string& text,
               std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        out[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
    }
}

bool AllZero(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

DriveAnswer Check(SenseData sense, std::uint8_t status = kStatusCheckCondition) {
    if (status != kStatusCheckCondition)
        return {status, {}, 0};
    return {status, FixedSense(sense), 0};
}

}  // namespace

std::vector<std::uint8_t> FixedSense(SenseData sense) {
    std::vector<std::uint8_t> bytes(18, 0);
    bytes[0] = 0x70;
    bytes[2] = sense.key;
    bytes[7] = 10;
    bytes[12] = sense.asc;
    bytes[13] = sense.ascq;
    return bytes;
}

SimulatedDrive::SimulatedDrive(DriveTable table) : table_(std::move(table)) {}

SimulatedDrive::SimulatedDrive(CaptureReplay replay) : replay_(std::move(replay)) {}

void SimulatedDrive::Fail(std::uint8_t operationCode, SenseData sense, std::uint8_t status) {
    failing_[operationCode] = {sense, status};
}

void SimulatedDrive::FailModePage(std::uint8_t pageByte, SenseData sense) {
    failingPages_[pageByte] = sense;
}

void SimulatedDrive::FailEverything(SenseData sense) {
    failEverything_ = sense;
}

void SimulatedDrive::Shorten(std::uint8_t operationCode, std::size_t bytes) {
    shortened_[operationCode] = bytes;
}

void SimulatedDrive::AnswerWith(std::vector<std::uint8_t> cdbPrefix,
                                std::vector<std::uint8_t> answer) {
    rawAnswers_.emplace_back(std::move(cdbPrefix), std::move(answer));
}

std::size_t SimulatedDrive::Count(std::uint8_t operationCode) const {
    return static_cast<std::size_t>(
        std::count_if(commands_.begin(), commands_.end(),
                      [&](const auto& cdb) { return !cdb.empty() && cdb[0] == operationCode; }));
}

void SimulatedDrive::ClearCounts() {
    commands_.clear();
    rejected_ = 0;
}

bool SimulatedDrive::Valid(std::span<const std::uint8_t> cdb, DataDirection direction,
                           std::span<std::uint8_t> data) const {
    if (cdb.empty())
        return false;
    switch (cdb[0]) {
        case kTestUnitReady:
            return cdb.size() == 6 && AllZero(cdb) && direction == DataDirection::None &&
                   data.empty();
        case kInquiry:
            return cdb.size() == 6 && cdb[1] == 0 && cdb[2] == 0 && cdb[5] == 0 &&
                   ReadBE16(cdb, 3) != 0 && ReadBE16(cdb, 3) <= data.size() &&
                   direction == DataDirection::In;
        case kModeSense10:
            return cdb.size() == 10 && cdb[1] == 0 && AllZero(cdb.subspan(3, 4)) && cdb[9] == 0 &&
                   ReadBE16(cdb, 7) != 0 && ReadBE16(cdb, 7) <= data.size() &&
                   direction == DataDirection::In;
        case kGetConfiguration:
            return cdb.size() == 10 && cdb[1] <= 2 && AllZero(cdb.subspan(4, 3)) && cdb[9] == 0 &&
                   ReadBE16(cdb, 7) != 0 && ReadBE16(cdb, 7) <= data.size() &&
                   direction == DataDirection::In;
        case kGetEventStatus:  // polled, some class asked for
            return cdb.size() == 10 && cdb[1] == 0x01 && AllZero(cdb.subspan(2, 2)) &&
                   cdb[4] != 0 && AllZero(cdb.subspan(5, 2)) && cdb[9] == 0 &&
                   ReadBE16(cdb, 7) != 0 && ReadBE16(cdb, 7) <= data.size() &&
                   direction == DataDirection::In;
        default:
            return false;
    }
}

DriveAnswer SimulatedDrive::Execute(std::span<const std::uint8_t> cdb, DataDirection direction,
                                    std::span<std::uint8_t> data) {
    commands_.emplace_back(cdb.begin(), cdb.end());
    if (failEverything_)
        return Check(*failEverything_);
    if (replay_)
        return replay_->Answer(cdb, data);
    if (!Valid(cdb, direction, data)) {
        ++rejected_;
        return Check(kInvalidFieldInCdb);
    }
    if (const auto failing = failing_.find(cdb[0]); failing != failing_.end()) {
        return Check(failing->second.first, failing->second.second);
    }
    for (const auto& [prefix, answer] : rawAnswers_) {
        if (prefix.size() <= cdb.size() && std::equal(prefix.begin(), prefix.end(), cdb.begin())) {
            const std::size_t allocation = cdb.size() == 10 ? ReadBE16(cdb, 7) : ReadBE16(cdb, 3);
            return Reply(cdb[0], answer, allocation, data);
        }
    }
    switch (cdb[0]) {
        case kInquiry:
            return Inquiry(cdb, data);
        case kModeSense10:
            return ModeSense(cdb, data);
        case kGetConfiguration:
            return GetConfiguration(cdb, data);
        case kGetEventStatus:
            return EventStatus(cdb, data);
        default:
            return TestUnitReady();
    }
}

DriveAnswer SimulatedDrive::Reply(std::uint8_t operationCode,
                                  const std::vector<std::uint8_t>& answer, std::size_t allocation,
                                  std::span<std::uint8_t> data) {
    std::size_t length = std::min({answer.size(), allocation, data.size()});
    if (const auto cut = shortened_.find(operationCode); cut != shortened_.end()) {
        length = std::min(length, cut->second);
    }
    std::copy_n(answer.begin(), length, data.begin());
    return {0, {}, length};
}

DriveAnswer SimulatedDrive::Inquiry(std::span<const std::uint8_t> cdb,
                                    std::span<std::uint8_t> data) {
    std::vector<std::uint8_t> answer(36, 0);
    answer[0] = table_.peripheralType;
    answer[1] = 0x80;  // removable medium
    answer[2] = 0x05;
    answer[3] = 0x32;
    answer[4] = static_cast<std::uint8_t>(answer.size() - 5);
    PutPadded(answer, 8, table_.vendor, 8);
    PutPadded(answer, 16, table_.product, 16);
    PutPadded(answer, 32, table_.revision, 4);
    return Reply(kInquiry, answer, ReadBE16(cdb, 3), data);
}

DriveAnswer SimulatedDrive::ModeSense(std::span<const std::uint8_t> cdb,
                                      std::span<std::uint8_t> data) {
    const std::uint8_t pageByte = cdb[2];
    if (const auto failing = failingPages_.find(pageByte); failing != failingPages_.end()) {
        return Check(failing->second);
    }
    const std::uint8_t pageCode = pageByte & 0x3F;
    const std::uint8_t pageControl = pageByte >> 6;
    std::vector<std::uint8_t> page;
    if (pageCode == 0x2A && !table_.page2A.empty()) {
        page = pageControl == 0 && table_.currentPage2A ? *table_.currentPage2A : table_.page2A;
        if (pageControl == 1)
            std::fill(page.begin() + 2, page.end(), 0);  // changeable: none
    } else if (pageCode == 0x30 && table_.page30) {
        page = *table_.page30;
    } else {
        return Check(kInvalidFieldInCdb);
    }
    const std::size_t descriptors = table_.blockDescriptor ? 8 : 0;
    std::vector<std::uint8_t> answer(8 + descriptors, 0);
    answer.insert(answer.end(), page.begin(), page.end());
    WriteBE16(answer, 0, static_cast<std::uint16_t>(answer.size() - 2));
    WriteBE16(answer, 6, static_cast<std::uint16_t>(descriptors));
    if (descriptors != 0)
        WriteBE16(answer, 14, 2048);  // block length
    return Reply(kModeSense10, answer, ReadBE16(cdb, 7), data);
}

DriveAnswer SimulatedDrive::GetConfiguration(std::span<const std::uint8_t> cdb,
                                             std::span<std::uint8_t> data) {
    if (!table_.knowsGetConfiguration)
        return Check(kInvalidCommand);
    const std::uint8_t requestType = cdb[1];
    const std::uint16_t start = ReadBE16(cdb, 2);
    std::vector<std::uint8_t> answer(8, 0);
    WriteBE16(answer, 6, table_.currentProfile);
    std::map<std::uint16_t, FeatureDescriptor> features = table_.features;
    if (!table_.profiles.empty()) {
        FeatureDescriptor& list = features[0x0000];
        list.versionFlags = 0x03;  // persistent, current
        for (const std::uint16_t profile : table_.profiles) {
            const bool current = profile == table_.currentProfile;
            list.data.insert(
                list.data.end(),
                {static_cast<std::uint8_t>(profile >> 8), static_cast<std::uint8_t>(profile),
                 static_cast<std::uint8_t>(current ? 0x01 : 0x00), 0x00});
        }
    }
    for (const auto& [code, feature] : features) {
        const bool wanted = requestType == 2 ? code == start
                                             : code >= start && (requestType == 0 ||
                                                                 (feature.versionFlags & 1) != 0);
        if (!wanted)
            continue;
        const std::size_t at = answer.size();
        answer.resize(at + 4);
        WriteBE16(answer, at, code);
        answer[at + 2] = feature.versionFlags;
        answer[at + 3] = static_cast<std::uint8_t>(feature.data.size());
        answer.insert(answer.end(), feature.data.begin(), feature.data.end());
    }
    WriteBE32(answer, 0, static_cast<std::uint32_t>(answer.size() - 4));
    return Reply(kGetConfiguration, answer, ReadBE16(cdb, 7), data);
}

DriveAnswer SimulatedDrive::EventStatus(std::span<const std::uint8_t> cdb,
                                        std::span<std::uint8_t> data) {
    if (!table_.knowsEventStatus)
        return Check(kInvalidCommand);
    constexpr std::uint8_t kMediaClassRequest = 0x10;
    constexpr std::uint8_t kMediaClass = 0x04;
    constexpr std::uint8_t kNoEventAvailable = 0x80;
    // Header: descriptor bytes that follow, class, supported classes; then the media event.
    const std::uint8_t mediaPresent = table_.currentProfile != 0 ? 0x02 : 0x00;
    std::vector<std::uint8_t> answer{0x00, 0x04,         kMediaClass, kMediaClassRequest,
                                     0x00, mediaPresent, 0x00,        0x00};
    if ((cdb[4] & kMediaClassRequest) == 0)
        answer = {0x00, 0x00, kNoEventAvailable, kMediaClassRequest};
    return Reply(kGetEventStatus, answer, ReadBE16(cdb, 7), data);
}

DriveAnswer SimulatedDrive::TestUnitReady() {
    if (table_.notReady)
        return Check(*table_.notReady);
    return {};
}

namespace drives {

std::vector<std::uint8_t> CapabilitiesPage(std::uint8_t readInfo, std::uint8_t writeInfo,
                                           std::uint8_t otherInfo, std::uint16_t maxReadSpeed,
                                           std::uint16_t bufferSize, std::uint16_t curReadSpeed,
                                           std::uint16_t maxWriteSpeed,
                                           std::uint16_t curWriteSpeed) {
    std::vector<std::uint8_t> page(30, 0);
    page[0] = 0x2A;
    page[1] = static_cast<std::uint8_t>(page.size() - 2);
    page[2] = readInfo;
    page[3] = writeInfo;
    page[4] = otherInfo;
    page[5] = 0x73;  // audio play, CD-DA commands
    page[6] = 0x29;  // tray, eject
    page[7] = 0x03;
    WriteBE16(page, 8, maxReadSpeed);
    WriteBE16(page, 10, 0x0100);  // volume levels
    WriteBE16(page, 12, bufferSize);
    WriteBE16(page, 14, curReadSpeed);
    WriteBE16(page, 18, maxWriteSpeed);
    WriteBE16(page, 20, curWriteSpeed);
    return page;
}

DriveTable DvdReader() {
    DriveTable table;
    table.vendor = "ACME";
    table.product = "DVD-ROM DR-16";
    table.revision = "2.10";
    table.page2A = CapabilitiesPage(0x3F, 0x00, 0x00, 8467, 512, 8467, 0, 0);
    table.currentProfile = 0x0010;  // DVD-ROM
    table.profiles = {0x0010, 0x0008};
    table.features[0x2A] = {0x01, {0x00, 0x00, 0x00, 0x00}};
    return table;
}

DriveTable DvdBurner() {
    DriveTable table;
    table.vendor = "ACME";
    table.product = "DVDRAM XR-22";
    table.revision = "1.02";
    table.page2A = CapabilitiesPage(0x3F, 0x37, 0x80, 0x1A90, 2048, 0x1A90, 5540, 5540);
    table.page30 = std::vector<std::uint8_t>{0x30, 0x06, 0, 0, 0, 0, 0, 0};
    table.currentProfile = 0x0011;  // DVD-R
    table.profiles = {0x0012, 0x0011, 0x0015, 0x0014, 0x0013, 0x001A,
                      0x001B, 0x002B, 0x0010, 0x0009, 0x000A, 0x0008};
    table.features[0x2A] = {0x01, {0x01, 0x00, 0x00, 0x00}};
    table.features[0x2F] = {0x05, {0x42, 0x00, 0x00, 0x00}};
    table.features[0x3B] = {0x01, {0x01, 0x00, 0x00, 0x00}};
    table.features[0x0104] = {0x07, {0x01, 0x00, 0x00, 0x00}};  // version 1, M5
    const std::string date = "20110308142207";
    FeatureDescriptor& firmware = table.features[0x010C] = {0x03, {}};
    firmware.data.assign(date.begin(), date.end());
    firmware.data.resize(16, 0x00);
    return table;
}

DriveTable DvdPlusOnlyWriter() {
    DriveTable table;
    table.vendor = "ACME";
    table.product = "DVD+RW XP-8";
    table.revision = "3.01";
    table.page2A = CapabilitiesPage(0x3B, 0x00, 0x00, 5540, 1024, 5540, 0, 0);
    table.currentProfile = 0x001A;  // DVD+RW
    table.features[0x2A] = {0x01, {0x01, 0x00, 0x00, 0x00}};
    return table;
}

DriveTable OldCdRom() {
    DriveTable table;
    table.vendor = "ACME";
    table.product = "CD-ROM CR-52";
    table.revision = "0.9";
    table.page2A = CapabilitiesPage(0x03, 0x00, 0x00, 7800, 128, 7800, 0, 0);
    table.knowsGetConfiguration = false;
    table.knowsEventStatus = false;
    return table;
}

}  // namespace drives

}  // namespace quendra
