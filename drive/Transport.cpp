#include <algorithm>
#include <cstring>

#include "drive/DriveTrace.h"
#include "drive/ScsiLib.h"

namespace quendra {

namespace {

// The time limit of one pass-through command. Only short identification commands are sent,
// so a drive that has not answered within a minute is wedged: the command fails instead of
// holding the window for hours.
constexpr std::chrono::seconds kPassThroughTimeout{60};

DataDirection DirectionOf(std::uint8_t flags) {
    if (flags & SRB_DIR_IN)
        return DataDirection::In;
    if (flags & SRB_DIR_OUT)
        return DataDirection::Out;
    return DataDirection::None;
}

std::uint8_t Refuse(TSRB_ExecSCSICmd& request) {
    request.SRB_Status = SS_ERR;
    return SS_ERR;
}

}  // namespace

std::uint8_t PassThroughCommand(DrivePlatform& platform, TSCSIDevice& device,
                                TSRB_ExecSCSICmd& request) {
    if (device.Handle == kInvalidVolume) {
        OpenResult opened = platform.OpenVolume(device.DriveLetter, VolumeAccess::ReadWrite);
        if (opened.handle == kInvalidVolume) {
            opened = platform.OpenVolume(device.DriveLetter, VolumeAccess::ReadOnly);
        }
        device.Handle = opened.handle;
    }

    const std::array<std::uint8_t, 16> cdb = request.CDBByte;
    std::array<std::uint8_t, 32> sense{};
    ScsiRequest command;
    command.cdb = std::span(cdb).first(std::min<std::size_t>(request.SRB_CDBLen, cdb.size()));
    command.direction = DirectionOf(request.SRB_Flags);
    if (request.SRB_BufPointer != nullptr) {
        command.data = std::span(request.SRB_BufPointer, request.SRB_BufLen);
    }
    command.sense =
        std::span(sense).first(std::min<std::size_t>(request.SRB_SenseLen, sense.size()));
    command.timeout = kPassThroughTimeout;

    const ScsiOutcome outcome = platform.PassThrough(device.Handle, command);
    device.LastWinError = outcome.error;

    if (outcome.delivered && outcome.scsiStatus == STATUS_GOOD) {
        request.SRB_Status = SS_COMP;
    } else {
        request.SRB_Status = SS_ERR;
        std::array<std::uint8_t, 32> area = request.SenseArea;
        std::copy_n(sense.begin(), kSenseLength, area.begin());
        request.SenseArea = area;
        request.SRB_TargStat = outcome.scsiStatus;
    }

    if (device.CloseFH && device.Handle != kInvalidVolume) {
        if (platform.CloseVolume(device.Handle))
            device.Handle = kInvalidVolume;
    }
    return request.SRB_Status;
}

std::uint8_t ExecuteCommand(DrivePlatform& platform, TSCSIDevice& device,
                            TSRB_ExecSCSICmd& request) {
    if (!device.ASPIInitialized)
        return Refuse(request);
    if (device.HaID == kNoAddress || device.Target == kNoAddress)
        return Refuse(request);
    if (!device.UsingSPTI && !device.SendASPI32Command)
        return Refuse(request);

    // On the ASPI route a pending request can only be waited for through its event; without
    // one the request is not sent.
    const CompletionEvent event = platform.CreateCompletionEvent();
    if (event == kNoEvent && !device.UsingSPTI)
        return Refuse(request);

    request.SRB_HaId = device.HaID;
    request.SRB_Target = device.Target;
    request.SRB_Lun = device.Lun;
    request.SRB_SenseLen = kSenseLength;
    request.SRB_Cmd = SC_EXEC_SCSI_CMD;
    request.SRB_PostProc = static_cast<std::uintptr_t>(event);

    std::array<std::uint8_t, 16> cdb = request.CDBByte;
    const std::uint8_t operationCode = cdb[0];
    if (device.TV && operationCode == kOpWrite10) {
        cdb[2] = 0;
        cdb[3] = 0;
        request.CDBByte = cdb;
    }

    std::uint8_t result;
    if (device.UsingSPTI) {
        result = PassThroughCommand(platform, device, request);
    } else {
        result = static_cast<std::uint8_t>(device.SendASPI32Command(&request));
        if (result == SS_PENDING)
            platform.WaitForCompletion(event);
    }
    if (event != kNoEvent) {
        platform.ResetCompletionEvent(event);
        platform.CloseCompletionEvent(event);
    }

    if (device.fdbg) {
        std::optional<std::uint32_t> error;
        if (device.UsingSPTI)
            error = device.LastWinError;
        WriteTrace(device,
                   FormatTraceLine(request, device.cn[operationCode], platform.UtcTime(), error));
    }

    device.TargetBusy =
        result != SS_PENDING && result != SS_COMP && request.SRB_TargStat == STATUS_BUSY;

    const std::array<std::uint8_t, 32> sense = request.SenseArea;
    std::memcpy(&device.LastSenseInfo, sense.data(), sizeof device.LastSenseInfo);
    if (device.LastSenseInfo.AddSenseCode != 0) {
        device.DeviceError = static_cast<std::uint16_t>(device.LastSenseInfo.AddSenseCode << 8 |
                                                        device.LastSenseInfo.AddSenQual);
    }
    return request.SRB_Status;
}

}  // namespace quendra
