#include "fuzz/FuzzedDrivePlatform.h"

#include <algorithm>
#include <array>

#include "drive/AspiRequests.h"

namespace quendra {

namespace {

// Mostly CD-ROM letters, so that the input's bytes go to the drives' answers.
constexpr std::array<std::uint32_t, 8> kTypes{kDriveCdrom,     kDriveCdrom, kDriveCdrom,
                                              kDriveNoRootDir, kDriveFixed, kDriveRemovable,
                                              kDriveUnknown,   kDriveRemote};

// Request completion codes a library gives, plus one it should not.
constexpr std::array<std::uint8_t, 4> kAspiStatus{SS_COMP, SS_ERR, SS_PENDING, 0x80};

}  // namespace

void FuzzedDrivePlatform::FillFromInput(std::uint8_t* data, std::size_t size) {
    const std::size_t length = input_.ConsumeIntegralInRange<std::size_t>(0, size);
    const auto bytes = input_.ConsumeBytes<std::uint8_t>(length);
    std::copy(bytes.begin(), bytes.end(), data);
}

std::uint32_t FuzzedDrivePlatform::DriveType(char) {
    if (input_.remaining_bytes() == 0)
        return kDriveNoRootDir;
    return input_.PickValueInArray(kTypes);
}

OpenResult FuzzedDrivePlatform::OpenVolume(char, VolumeAccess) {
    if (input_.remaining_bytes() == 0)
        return {kInvalidVolume, 2};  // ENOENT
    if (input_.ConsumeBool())
        return {kInvalidVolume, input_.ConsumeIntegral<std::uint8_t>()};
    const VolumeHandle handle = nextHandle_++;
    handles_.insert(handle);
    return {handle, 0};
}

ScsiOutcome FuzzedDrivePlatform::PassThrough(VolumeHandle volume, const ScsiRequest& request) {
    if (!handles_.contains(volume))
        return {false, 0, 9};  // EBADF
    if (input_.remaining_bytes() == 0)
        return {false, 0, 5};  // EIO
    if (request.direction == DataDirection::In)
        FillFromInput(request.data.data(), request.data.size());
    FillFromInput(request.sense.data(), request.sense.size());
    ScsiOutcome outcome;
    outcome.delivered = !input_.ConsumeBool();
    if (outcome.delivered) {
        outcome.scsiStatus = input_.ConsumeIntegral<std::uint8_t>();
    } else {
        outcome.error = input_.ConsumeIntegral<std::uint8_t>();
    }
    return outcome;
}

std::optional<ScsiAddress> FuzzedDrivePlatform::QueryAddress(VolumeHandle volume) {
    if (!handles_.contains(volume) || input_.ConsumeBool())
        return std::nullopt;
    ScsiAddress address;
    address.port = input_.ConsumeIntegral<std::uint8_t>();
    address.path = input_.ConsumeIntegral<std::uint8_t>();
    address.target = input_.ConsumeIntegral<std::uint8_t>();
    address.lun = input_.ConsumeIntegral<std::uint8_t>();
    return address;
}

bool FuzzedDrivePlatform::CloseVolume(VolumeHandle volume) {
    return handles_.erase(volume) == 1;
}

std::optional<AspiEntryPoints> FuzzedDrivePlatform::LoadAspiLibrary(std::string_view) {
    if (input_.remaining_bytes() == 0 || input_.ConsumeBool())
        return std::nullopt;
    AspiEntryPoints aspi;
    aspi.GetASPI32SupportInfo = [this] { return input_.ConsumeIntegral<std::uint32_t>(); };
    aspi.SendASPI32Command = [this](void* request) { return SendAspiCommand(request); };
    return aspi;
}

std::uint32_t FuzzedDrivePlatform::SendAspiCommand(void* request) {
    const std::uint8_t command = *static_cast<std::uint8_t*>(request);
    if (input_.remaining_bytes() == 0)
        return SS_ERR;
    const std::uint8_t status = input_.PickValueInArray(kAspiStatus);
    if (command == SC_HA_INQUIRY) {
        auto& inquiry = *static_cast<SRB_HAInquiry*>(request);
        inquiry.SRB_Status = status;
        inquiry.HA_Count = input_.ConsumeIntegral<std::uint8_t>();
    } else if (command == SC_EXEC_SCSI_CMD) {
        auto& exec = *static_cast<TSRB_ExecSCSICmd*>(request);
        if ((exec.SRB_Flags & SRB_DIR_IN) != 0 && exec.SRB_BufPointer != nullptr)
            FillFromInput(exec.SRB_BufPointer, exec.SRB_BufLen);
        std::array<std::uint8_t, 32> sense{};
        FillFromInput(sense.data(), std::min<std::size_t>(exec.SRB_SenseLen, sense.size()));
        exec.SenseArea = sense;
        exec.SRB_HaStat = input_.ConsumeIntegral<std::uint8_t>();
        exec.SRB_TargStat = input_.ConsumeIntegral<std::uint8_t>();
        exec.SRB_Status = status;
    } else if (command == SC_GET_DISK_INFO) {
        auto& disk = *static_cast<TSRB_GetDiskInfo*>(request);
        disk.SRB_Int13HDriveInfo = input_.ConsumeIntegral<std::uint8_t>();
        disk.SRB_Status = status;
    } else {
        return SS_ERR;
    }
    return status;
}

CompletionEvent FuzzedDrivePlatform::CreateCompletionEvent() {
    if (input_.remaining_bytes() > 0 && input_.ConsumeIntegral<std::uint8_t>() == 0xFF)
        return kNoEvent;
    events_.insert(nextEvent_);
    return nextEvent_++;
}

DriveAccessFacts FuzzedDrivePlatform::AccessFacts() {
    DriveAccessFacts facts;
    const int nodes = input_.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < nodes; ++i) {
        OpticalNode node;
        node.path = "/dev/sr" + std::to_string(i);
        node.group = input_.ConsumeRandomLengthString(16);
        node.groupOfThisProcess = input_.ConsumeBool();
        node.openError = input_.ConsumeIntegral<std::uint8_t>();
        facts.nodes.push_back(node);
    }
    if (input_.ConsumeBool())
        facts.kernelDrives.push_back("sr0");
    facts.scsiOpticalDevices = input_.ConsumeIntegralInRange<std::size_t>(0, 2);
    facts.opticalDriverLoaded = input_.ConsumeBool();
    facts.container = input_.ConsumeRandomLengthString(16);
    return facts;
}

}  // namespace quendra
