#include "drive/Discovery.h"

#include <algorithm>
#include <string>
#include <vector>

#include "drive/DisplayName.h"
#include "drive/DriveTrace.h"

namespace quendra {

namespace {

constexpr std::string_view kDefaultAspiLibrary = "WNASPI32.DLL";
constexpr std::uint8_t kPeripheralCdDvd = 0x05;
constexpr unsigned kDefaultAdapterCount = 7;
constexpr unsigned kTargetsPerAdapter = 8;
constexpr unsigned kUnitsPerTarget = 7;

std::string Decimal(std::uint32_t value) {
    return std::to_string(value);
}

// Opens a CD-ROM letter for the scan: read-write, else read-only. Failures go to the log.
VolumeHandle OpenForScan(DrivePlatform& platform, TSCSIDevice& device, char letter) {
    const OpenResult readWrite = platform.OpenVolume(letter, VolumeAccess::ReadWrite);
    if (readWrite.handle != kInvalidVolume)
        return readWrite.handle;
    if (device.fdbg) {
        WriteTrace(device, "System Error Code: " + Decimal(readWrite.error) + "\r\n");
        // A second read-only attempt only tells the log its error code.
        const OpenResult probe = platform.OpenVolume(letter, VolumeAccess::ReadOnly);
        if (probe.handle == kInvalidVolume) {
            WriteTrace(device, "System Error Code: " + Decimal(probe.error) + "\r\n");
        } else {
            platform.CloseVolume(probe.handle);
        }
    }
    const OpenResult readOnly = platform.OpenVolume(letter, VolumeAccess::ReadOnly);
    if (readOnly.handle == kInvalidVolume) {
        WriteTrace(device, "System Error Code: " + Decimal(readOnly.error) + "\r\n");
    }
    return readOnly.handle;
}

bool IsCdDvdInquiry(std::uint8_t status, const TSCSIDevice& device) {
    return status == SS_COMP && device.tmpBuffer[0] == kPeripheralCdDvd;
}

std::span<const std::uint8_t> InquiryData(const TSCSIDevice& device) {
    return std::span(device.tmpBuffer).first(kInquiryLength);
}

TSRB_ExecSCSICmd InquiryRequest(TSCSIDevice& device) {
    TSRB_ExecSCSICmd srb = MakeCommandRequest(inquiryCdb(), SRB_DIR_IN | SRB_EVENT_NOTIFY,
                                              device.tmpBuffer.data(), kInquiryLength);
    srb.SRB_SenseLen = kSenseLength;
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    return srb;
}

struct FoundDrive {
    TDeviceEntry entry;
    DriveIdentity identity;
};

}  // namespace

std::size_t ScanPassThrough(DrivePlatform& platform, TSCSIDevice& device) {
    std::vector<FoundDrive> addressed;
    std::vector<FoundDrive> addressless;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        const std::uint32_t type = platform.DriveType(letter);
        if (type != kDriveCdrom) {
            WriteTrace(device, std::string{letter} + ": ( " + Decimal(type) + ")\r\n");
            continue;
        }
        const VolumeHandle handle = OpenForScan(platform, device, letter);
        if (handle == kInvalidVolume) {
            WriteTrace(device, ")\r\n");
            continue;
        }

        FoundDrive found{};
        found.entry.DriveLetter = letter;
        const std::optional<ScsiAddress> address = platform.QueryAddress(handle);
        if (address) {
            found.entry.HaId = address->port;
            found.entry.Target = address->target;
            found.entry.Lun = address->lun;
        }

        device.DriveLetter = letter;
        device.Handle = handle;
        TSRB_ExecSCSICmd inquiry = InquiryRequest(device);
        const std::uint8_t status = PassThroughCommand(platform, device, inquiry);
        WriteTrace(device, std::string{letter} + ": " + Decimal(type) + " - ( ");
        const bool answered = IsCdDvdInquiry(status, device);
        found.identity = answered ? IdentityFromInquiry(InquiryData(device)) : BlankIdentity();
        // A drive that told nothing about itself is named all the same, with blank fields.
        StoreDisplayName(found.entry, DisplayName(found.entry.HaId, found.entry.Target,
                                                  found.entry.Lun, letter, found.identity));
        if (answered)
            WriteTrace(device, found.entry.Name.data());

        if (device.Handle != kInvalidVolume)
            platform.CloseVolume(device.Handle);
        device.Handle = kInvalidVolume;
        WriteTrace(device, ")\r\n");
        (address ? addressed : addressless).push_back(found);
    }

    const std::size_t opened = addressed.size() + addressless.size();
    if (opened == 0)
        return 0;
    device.ASPIInitialized = true;
    device.UsingSPTI = true;

    // Drives without an address get adapter numbers after the largest one in use (8-bit, as
    // every adapter number).
    std::uint8_t nextAdapter = 1;
    if (!addressed.empty()) {
        std::uint8_t largest = 0;
        for (const FoundDrive& drive : addressed)
            largest = std::max(largest, drive.entry.HaId);
        nextAdapter = static_cast<std::uint8_t>(largest + 1);
    }
    for (FoundDrive& drive : addressless) {
        TDeviceEntry& entry = drive.entry;
        entry.HaId = nextAdapter++;
        StoreDisplayName(entry, DisplayName(entry.HaId, entry.Target, entry.Lun, entry.DriveLetter,
                                            drive.identity));
    }

    device.NoOfDevices = 0;
    for (const auto* group : {&addressed, &addressless}) {
        for (const FoundDrive& drive : *group) {
            if (device.NoOfDevices == kMaxDevices)
                break;
            device.Devices[device.NoOfDevices++] = drive.entry;
        }
    }
    return opened;
}

bool ScanAspi(DrivePlatform& platform, TSCSIDevice& device, std::string_view library) {
    const std::optional<AspiEntryPoints> aspi =
        platform.LoadAspiLibrary(library.empty() ? kDefaultAspiLibrary : library);
    if (!aspi || !aspi->GetASPI32SupportInfo || !aspi->SendASPI32Command)
        return false;
    if (aspi->GetASPI32SupportInfo() == 0)
        return false;
    device.ASPIInitialized = true;
    device.SendASPI32Command = aspi->SendASPI32Command;
    const auto send = [&](void* request) {
        return static_cast<std::uint8_t>(device.SendASPI32Command(request));
    };

    SRB_HAInquiry adapters{};
    adapters.SRB_Cmd = SC_HA_INQUIRY;
    send(&adapters);
    const unsigned adapterCount = adapters.HA_Count == 0 ? kDefaultAdapterCount : adapters.HA_Count;

    for (unsigned adapter = 0; adapter < adapterCount; ++adapter) {
        for (unsigned target = 0; target < kTargetsPerAdapter; ++target) {
            for (unsigned lun = 0; lun < kUnitsPerTarget; ++lun) {
                if (device.NoOfDevices == kMaxDevices)
                    return true;
                const CompletionEvent event = platform.CreateCompletionEvent();
                if (event == kNoEvent)
                    continue;  // a pending answer could not be awaited
                TSRB_ExecSCSICmd inquiry = InquiryRequest(device);
                inquiry.SRB_HaId = static_cast<std::uint8_t>(adapter);
                inquiry.SRB_Target = static_cast<std::uint8_t>(target);
                inquiry.SRB_Lun = static_cast<std::uint8_t>(lun);
                inquiry.SRB_PostProc = static_cast<std::uintptr_t>(event);
                if (send(&inquiry) == SS_PENDING)
                    platform.WaitForCompletion(event);
                platform.ResetCompletionEvent(event);
                platform.CloseCompletionEvent(event);
                if (!IsCdDvdInquiry(inquiry.SRB_Status, device))
                    continue;

                const DriveIdentity identity = IdentityFromInquiry(InquiryData(device));
                TDeviceEntry& entry = device.Devices[device.NoOfDevices];
                entry = TDeviceEntry{};
                entry.HaId = inquiry.SRB_HaId;
                entry.Target = inquiry.SRB_Target;
                entry.Lun = inquiry.SRB_Lun;
                entry.DriveLetter = FindDriveLetter(platform, entry.HaId, entry.Target, entry.Lun);

                device.srbdi.SRB_Cmd = SC_GET_DISK_INFO;
                device.srbdi.SRB_HaId = entry.HaId;
                device.srbdi.SRB_Target = entry.Target;
                device.srbdi.SRB_Lun = entry.Lun;
                if (send(&device.srbdi) == SS_COMP) {
                    // Only a drive letter is taken; any other value would corrupt the name.
                    const int letter = 'A' + device.srbdi.SRB_Int13HDriveInfo;
                    if (letter <= 'Z')
                        entry.DriveLetter = static_cast<char>(letter);
                }
                StoreDisplayName(entry, DisplayName(entry.HaId, entry.Target, entry.Lun,
                                                    entry.DriveLetter, identity));
                ++device.NoOfDevices;
            }
        }
    }
    return true;
}

char FindDriveLetter(DrivePlatform& platform, std::uint8_t adapter, std::uint8_t target,
                     std::uint8_t lun) {
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        OpenResult opened = platform.OpenVolume(letter, VolumeAccess::ReadWrite);
        if (opened.handle == kInvalidVolume) {
            opened = platform.OpenVolume(letter, VolumeAccess::ReadOnly);
        }
        if (opened.handle == kInvalidVolume)
            continue;
        const std::optional<ScsiAddress> address = platform.QueryAddress(opened.handle);
        platform.CloseVolume(opened.handle);
        if (address && address->port == adapter && address->target == target &&
            address->lun == lun) {
            return letter;
        }
    }
    return '?';
}

}  // namespace quendra
