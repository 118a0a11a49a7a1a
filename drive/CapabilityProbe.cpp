#include "drive/CapabilityProbe.h"

#include <algorithm>

#include "drive/Capabilities.h"
#include "util/ByteOrder.h"

namespace quendra {

namespace {

constexpr std::uint16_t kModeSenseLength = 128;
constexpr std::uint16_t kConfigurationLength = 112;
constexpr std::size_t kPageCopyLength = 64;

bool Bit(std::uint8_t byte, int bit) {
    return (byte >> bit & 1) != 0;
}

bool Answered(std::uint8_t status) {
    return status == SS_COMP || status == SS_PENDING;
}

std::uint8_t ModeSense(DrivePlatform& platform, TSCSIDevice& device, std::uint8_t page) {
    TSRB_ExecSCSICmd srb =
        MakeCommandRequest(modeSense10Cdb(page, kModeSenseLength), SRB_DIR_IN | SRB_EVENT_NOTIFY,
                           device.tmpBuffer.data(), kModeSenseLength);
    return ExecuteCommand(platform, device, srb);
}

// Copies the first 64 bytes of the capabilities page, when the answer in tmpBuffer has one.
void CopyCapabilitiesPage(TSCSIDevice& device) {
    const auto answer = std::span<const std::uint8_t>(device.tmpBuffer).first(kModeSenseLength);
    const std::optional<std::size_t> start = LocateCapabilitiesPage(answer);
    if (!start)
        return;
    std::copy_n(device.tmpBuffer.begin() + static_cast<std::ptrdiff_t>(*start), kPageCopyLength,
                RecordBytes(device.ModePage2A).begin());
}

bool GetConfiguration(DrivePlatform& platform, TSCSIDevice& device, std::uint16_t feature) {
    TSRB_ExecSCSICmd srb =
        MakeCommandRequest(getConfigurationCdb(kOneFeature, feature, kConfigurationLength),
                           SRB_DIR_IN | SRB_EVENT_NOTIFY, RecordBytes(device.ConfigHeader).data(),
                           kConfigurationLength);
    return ExecuteCommand(platform, device, srb) == SS_COMP;
}

}  // namespace

std::optional<std::size_t> LocateCapabilitiesPage(std::span<const std::uint8_t> answer) {
    for (const std::size_t start : {std::size_t{8}, std::size_t{16}}) {
        if (start + kPageCopyLength <= answer.size() && answer[start] == kPageCapabilities) {
            return start;
        }
    }
    return std::nullopt;
}

bool FeatureAccepted(const TConfigHeader& header, std::uint16_t feature) {
    const auto bytes = RecordBytes(header);
    return ReadBE16(bytes, 6) == 0 || ReadBE16(bytes, 8) == feature;
}

bool ProbeCapabilities(DrivePlatform& platform, TSCSIDevice& device) {
    TModePage2A& page = device.ModePage2A;
    TDC& dc = device.dc;
    page = TModePage2A{};
    dc = TDC{};

    const std::uint8_t status = ModeSense(platform, device, kPageCapabilities | kPageDefaultValues);
    if (!Answered(status))
        return false;
    CopyCapabilitiesPage(device);
    const auto bytes = RecordBytes(page);
    page.DeviceMaxReadSpeed = ReadBE16(bytes, 8);
    page.DeviceMaxWriteSpeed = ReadBE16(bytes, 18);

    ModeSense(platform, device, kPageCapabilities);
    CopyCapabilitiesPage(device);
    page.MaxReadSpeed = ReadBE16(bytes, 8);
    page.BufferSize = ReadBE16(bytes, 12);
    page.CurReadSpeed = ReadBE16(bytes, 14);
    page.MaxWriteSpeed = ReadBE16(bytes, 18);
    page.CurWriteSpeed = ReadBE16(bytes, 20);

    for (const DriveCapability& capability : CapabilityFlags()) {
        if (const std::optional<PageBit> source = capability.pageBit)
            dc.*capability.flag = Bit(bytes[source->byte], source->bit);
    }
    if (Answered(ModeSense(platform, device, kPageWriteParameters30 | kPageDefaultValues))) {
        dc.UnderRunProtection = true;
    }

    const TConfigHeader& config = device.ConfigHeader;
    const auto accepted = [&](std::uint16_t feature) {
        return GetConfiguration(platform, device, feature) && FeatureAccepted(config, feature);
    };
    if (accepted(0x2A)) {  // DVD+RW
        dc.Read_DVDPLUSR = dc.Read_DVDPLUSRW = true;
        if (Bit(config.info, 0))
            dc.Write_DVDPLUSR = dc.Write_DVDPLUSRW = true;
    }
    // DVD+R Dual Layer counts only when the drive names it, disc or not.
    if (GetConfiguration(platform, device, 0x3B) && ReadBE16(RecordBytes(config), 8) == 0x3B) {
        dc.Read_DVDPLUSRDL = true;
        if (Bit(config.info, 0))
            dc.Write_DVDPLUSRDL = true;
    }
    if (accepted(0x2F) && Bit(config.info, 1)) {  // DVD-R/-RW Write with its DVD-RW bit
        dc.Read_DVDRW = dc.Write_DVDRW = true;
    }
    if (accepted(0x40))
        dc.Read_BDROM = dc.Read_BDR = dc.Read_BDRE = true;
    if (accepted(0x41))
        dc.Write_BDR = dc.Write_BDRE = true;
    if (accepted(0x50))
        dc.Read_HDDVDROM = dc.Read_HDDVDR = dc.Read_HDDVDRAM = true;
    if (accepted(0x51))
        dc.Write_HDDVDR = dc.Write_HDDVDRAM = true;
    return true;
}

}  // namespace quendra
