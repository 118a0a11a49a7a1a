#include "drive/DriveDetails.h"

#include <vector>

namespace quendra {

namespace {

// Room for a long profile list, and for drives that send every feature whichever is asked.
constexpr std::uint16_t kConfigurationLength = 1024;
constexpr std::uint16_t kMediaEventLength = 8;
constexpr std::uint8_t kMediumNotPresent = 0x3A;

// Runs one command that reads into a buffer of its own, so the probe's records stay as
// they are; the answer when the drive completed the command.
std::optional<std::vector<std::uint8_t>> Read(DrivePlatform& platform, TSCSIDevice& device,
                                              std::span<const std::uint8_t> cdb,
                                              std::uint16_t length) {
    std::vector<std::uint8_t> answer(length);
    TSRB_ExecSCSICmd srb =
        MakeCommandRequest(cdb, SRB_DIR_IN | SRB_EVENT_NOTIFY, answer.data(), length);
    if (ExecuteCommand(platform, device, srb) != SS_COMP)
        return std::nullopt;
    return answer;
}

std::optional<ConfigurationAnswer> Feature(DrivePlatform& platform, TSCSIDevice& device,
                                           std::uint16_t feature) {
    const auto answer =
        Read(platform, device, getConfigurationCdb(kOneFeature, feature, kConfigurationLength),
             kConfigurationLength);
    return answer ? DecodeConfiguration(*answer) : std::nullopt;
}

std::optional<bool> DiscPresent(DrivePlatform& platform, TSCSIDevice& device,
                                const DriveDetails& details) {
    const auto event =
        Read(platform, device, getEventStatusNotificationCdb(kEventClassMedia, kMediaEventLength),
             kMediaEventLength);
    if (const std::optional<bool> present = event ? DecodeMediaPresent(*event) : std::nullopt)
        return present;
    if (details.currentProfile)
        return *details.currentProfile != 0;
    TSRB_ExecSCSICmd ready = MakeCommandRequest(testUnitReadyCdb(), SRB_EVENT_NOTIFY, nullptr, 0);
    if (ExecuteCommand(platform, device, ready) == SS_COMP)
        return true;
    if (device.LastSenseInfo.AddSenseCode == kMediumNotPresent)
        return false;
    return std::nullopt;
}

}  // namespace

DriveDetails ReadDriveDetails(DrivePlatform& platform, TSCSIDevice& device) {
    DriveDetails details;
    if (const auto answer = Feature(platform, device, kFeatureProfileList)) {
        details.currentProfile = answer->currentProfile;
        if (const FeatureEntry* list = answer->Find(kFeatureProfileList))
            details.profiles = DecodeProfileList(list->data);
    }
    if (const auto answer = Feature(platform, device, kFeatureMicrocodeUpgrade)) {
        if (const FeatureEntry* upgrade = answer->Find(kFeatureMicrocodeUpgrade)) {
            details.microcodeUpgrade = MicrocodeUpgrade{true, DecodeMicrocodeM5(upgrade->data)};
        } else if (!answer->truncated) {
            details.microcodeUpgrade = MicrocodeUpgrade{false, std::nullopt};
        }
    }
    if (const auto answer = Feature(platform, device, kFeatureFirmwareInformation)) {
        if (const FeatureEntry* information = answer->Find(kFeatureFirmwareInformation))
            details.firmwareDate = DecodeFirmwareDate(information->data);
    }
    details.discPresent = DiscPresent(platform, device, details);
    return details;
}

}  // namespace quendra
