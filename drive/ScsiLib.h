#pragma once

// The device record of the drive component and the transport of one SCSI command, either
// through SCSI pass-through on the selected drive's volume or through the ASPI library.

#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "drive/AspiRequests.h"
#include "drive/CommandBlocks.h"
#include "drive/DrivePlatform.h"
#include "drive/MmcRecords.h"

namespace quendra {

inline constexpr std::size_t kMaxDevices = 26;
inline constexpr std::size_t kDeviceNameSize = 128;
inline constexpr std::size_t kCommandNameWidth = 22;
inline constexpr std::uint8_t kNoAddress = 0xFF;

// One drive of the device table.
struct TDeviceEntry {
    char DriveLetter = 0;  // '?' when none was found
    std::uint8_t HaId = 0;
    std::uint8_t Target = 0;
    std::uint8_t Lun = 0;
    std::array<char, kDeviceNameSize> Name{};  // display name, NUL-terminated
};

// The drive state of one component.
struct TSCSIDevice {
    // Transport of the selected drive.
    VolumeHandle Handle = kInvalidVolume;
    alignas(16) std::array<std::uint8_t, 65535> tmpBuffer{};
    std::array<std::string, 256> cn;  // command names by operation code, 22 characters or empty
    char DriveLetter = 0;
    std::uint32_t LastWinError = 0;
    bool CloseFH = false;
    bool ASPIInitialized = false;
    bool UsingSPTI = false;
    bool DoNotUseSPTI = false;
    std::function<std::uint32_t(void*)> SendASPI32Command;
    std::uint8_t HaID = 0;
    std::uint8_t Target = 0;
    std::uint8_t Lun = 0;
    TSENSE LastSenseInfo{};
    bool TargetBusy = false;
    std::unique_ptr<std::ofstream> fdbg;  // the trace log, when open
    std::uint16_t DeviceError = 0;        // additional sense code * 256 + qualifier
    bool TV = false;                      // zero the top LBA bytes of every WRITE (10)

    // Device table.
    std::array<TDeviceEntry, kMaxDevices> Devices{};
    std::uint8_t NoOfDevices = 0;
    TSRB_GetDiskInfo srbdi{};

    // Selected drive and its capabilities.
    std::uint8_t SelectedDevice = 0;
    alignas(8) TModePage2A ModePage2A{};
    alignas(8) TConfigHeader ConfigHeader{};  // GET CONFIGURATION answers land here
    TDC dc{};

    // Queries.
    std::uint32_t DeviceBufferSize = 0;  // bytes; filled only while a disc is written
    std::string ErrStr;
    std::u16string ErrStrW;

    // Settings of the disc-writing engine kept in the record.
    bool BurnProof = false;
    bool TestWrite = false;
    bool FinalizeDisc = false;
};

// Runs one command on the selected drive over the route of the last initialisation and
// returns the request's completion status (1 complete, 4 error, others from the ASPI
// library). Refuses with 4, sending nothing and changing nothing else, when no transport is
// available or no drive is selected. Keeps the sense data in LastSenseInfo, a nonzero
// additional sense code in DeviceError, and writes a trace line while the trace log is open.
std::uint8_t ExecuteCommand(DrivePlatform& platform, TSCSIDevice& device,
                            TSRB_ExecSCSICmd& request);

// Runs one command through pass-through on the volume of device.DriveLetter, opening it first
// when no volume is open. Returns 1 (GOOD) or 4; on 4 the request carries the sense bytes
// and the target status, and LastWinError the OS error of the call.
std::uint8_t PassThroughCommand(DrivePlatform& platform, TSCSIDevice& device,
                                TSRB_ExecSCSICmd& request);

// Fills the command-name table: 51 named operation codes, every other name empty.
void FillCommandNames(TSCSIDevice& device);

}  // namespace quendra
