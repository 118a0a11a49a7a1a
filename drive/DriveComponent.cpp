#include "drive/DriveComponent.h"

#include <utility>

#include "drive/Capabilities.h"
#include "drive/CapabilityProbe.h"
#include "drive/Discovery.h"
#include "drive/DriveTrace.h"
#include "drive/ErrorText.h"
#include "drive/linux/LinuxDrivePlatform.h"

namespace quendra {

namespace {

constexpr std::size_t kErrStrLength = 256;
constexpr std::size_t kErrStrWLength = 258;
constexpr char kTraceLogName[] = "drivetrace.elg";

}  // namespace

TDriveComponent::TDriveComponent() : TDriveComponent(linux_impl::MakeLinuxDrivePlatform()) {}

TDriveComponent::TDriveComponent(std::shared_ptr<DrivePlatform> platform)
    : platform_(platform ? std::move(platform) : linux_impl::MakeLinuxDrivePlatform()) {
    Device.BurnProof = true;
    Device.CloseFH = true;
}

TDriveComponent::~TDriveComponent() {
    Device.fdbg.reset();
    CloseVolume();
}

void TDriveComponent::CloseVolume() {
    if (Device.Handle == kInvalidVolume)
        return;
    platform_->CloseVolume(Device.Handle);
    Device.Handle = kInvalidVolume;
}

bool TDriveComponent::InitializeASPI(bool NoInternalASPI, std::string_view ASPIDLLPath,
                                     std::string_view Reserved1) {
    // The record forgets its handle below; release it first.
    CloseVolume();
    const bool burnProof = Device.BurnProof;
    const bool finalizeDisc = Device.FinalizeDisc;
    Device = TSCSIDevice{};
    Device.BurnProof = burnProof;
    Device.FinalizeDisc = finalizeDisc;
    Device.HaID = Device.Target = Device.Lun = kNoAddress;

    if (!Reserved1.empty())
        Device.fdbg = CreateTraceLog(std::string(Reserved1));
    FillCommandNames(Device);
    Device.NoOfDevices = 0;
    Device.DoNotUseSPTI = NoInternalASPI;
    if (!NoInternalASPI && ScanPassThrough(*platform_, Device) > 0)
        return true;
    return ScanAspi(*platform_, Device, ASPIDLLPath);
}

std::uint16_t TDriveComponent::DeviceCount() const {
    return Device.NoOfDevices;
}

std::string TDriveComponent::GetDeviceName(std::uint8_t DeviceIndex) const {
    if (DeviceIndex >= Device.NoOfDevices)
        return {};
    return std::string(Device.Devices[DeviceIndex].Name.data());
}

bool TDriveComponent::SelectDevice(std::uint8_t DeviceIndex) {
    Device.HaID = Device.Target = Device.Lun = kNoAddress;
    Device.DriveLetter = '?';
    if (DeviceIndex >= Device.NoOfDevices)
        return false;

    const TDeviceEntry& entry = Device.Devices[DeviceIndex];
    Device.SelectedDevice = DeviceIndex;
    Device.HaID = entry.HaId;
    Device.Target = entry.Target;
    Device.Lun = entry.Lun;
    Device.DriveLetter = entry.DriveLetter;
    CloseVolume();

    alignas(16) std::array<std::uint8_t, 256> inquiry{};
    TSRB_ExecSCSICmd srb = MakeCommandRequest(inquiryCdb(), SRB_DIR_IN | SRB_EVENT_NOTIFY,
                                              inquiry.data(), kInquiryLength);
    const bool answered = ExecuteCommand(*platform_, Device, srb) == SS_COMP;
    ProbeCapabilities(*platform_, Device);
    return answered;
}

bool TDriveComponent::SelectDeviceByLetter(char DriveLetter) {
    if (Device.NoOfDevices == 0 || DriveLetter == '\0')
        return false;
    bool matched = false;
    bool result = false;
    for (std::uint8_t i = 0; i < Device.NoOfDevices; ++i) {
        if (Device.Devices[i].DriveLetter != DriveLetter)
            continue;
        matched = true;
        result = SelectDevice(i);
    }
    return matched && result;
}

bool TDriveComponent::DeviceCan(std::uint8_t DeviceCapabilityID) {
    if (const DriveCapability* capability = FindDriveCapability(DeviceCapabilityID)) {
        return Device.dc.*(capability->flag);
    }
    switch (DeviceCapabilityID) {
        case kTraceLogOn:
            // An open log is replaced, and kept when the new one cannot be created.
            Device.fdbg = CreateTraceLog(platform_->TemporaryFolder() + "/" + kTraceLogName);
            return true;
        case kTraceLogOff:
            if (!Device.fdbg)
                return false;
            Device.fdbg.reset();
            return true;
        case kWrite10AddressSwitch:
            Device.TV = true;
            return false;
        default:
            return false;
    }
}

bool TDriveComponent::DeviceIsBurner() const {
    return Device.ModePage2A.WriteInfo != 0;
}

bool TDriveComponent::TestUnitReady() {
    TSRB_ExecSCSICmd srb = MakeCommandRequest(testUnitReadyCdb(), SRB_EVENT_NOTIFY, nullptr, 0);
    return ExecuteCommand(*platform_, Device, srb) == SS_COMP;
}

std::uint16_t TDriveComponent::DeviceMaxReadSpeed() {
    ProbeCapabilities(*platform_, Device);
    return Device.ModePage2A.DeviceMaxReadSpeed;
}

std::uint16_t TDriveComponent::DeviceMaxWriteSpeed() {
    ProbeCapabilities(*platform_, Device);
    return Device.ModePage2A.DeviceMaxWriteSpeed;
}

std::uint16_t TDriveComponent::ReadSpeed() {
    ProbeCapabilities(*platform_, Device);
    return Device.ModePage2A.CurReadSpeed;
}

std::uint16_t TDriveComponent::WriteSpeed() {
    ProbeCapabilities(*platform_, Device);
    return Device.ModePage2A.CurWriteSpeed;
}

std::uint16_t TDriveComponent::MaxWriteSpeed() {
    ProbeCapabilities(*platform_, Device);
    return Device.ModePage2A.MaxWriteSpeed;
}

std::uint32_t TDriveComponent::DeviceBufferSize() const {
    return Device.DeviceBufferSize;
}

DriveDetails TDriveComponent::ReadDetails() {
    return ReadDriveDetails(*platform_, Device);
}

std::vector<NoDriveFinding> TDriveComponent::ExplainNoDrive() {
    return DiagnoseNoDrive(platform_->AccessFacts());
}

std::uint32_t TDriveComponent::ErrorNumber() {
    if (CDFiles.ErrorNumber != 0)
        return std::exchange(CDFiles.ErrorNumber, 0);
    return std::exchange(Device.DeviceError, 0);
}

std::string TDriveComponent::ErrorString() {
    Device.ErrStr = ErrorText(ErrorNumber(), CDFiles.FileName).substr(0, kErrStrLength);
    return Device.ErrStr;
}

std::u16string TDriveComponent::ErrorStringW() {
    Device.ErrStrW = ErrorTextW(ErrorNumber(), CDFiles.FileName).substr(0, kErrStrWLength);
    return Device.ErrStrW;
}

}  // namespace quendra
