#pragma once

// The drive component's only way to the operating system: drive letters and their types,
// volumes, one SCSI command at a time, a drive's bus address, the ASPI library, completion
// events, the clock for trace lines and the temporary folder. The Linux implementation is
// in drive/linux/; tests supply their own.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quendra {

// Drive types, with the values of the Windows drive-type query the component was built on.
enum DriveTypeCode : std::uint32_t {
    kDriveUnknown = 0,
    kDriveNoRootDir = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdrom = 5,
    kDriveRamDisk = 6,
};

using VolumeHandle = int;
inline constexpr VolumeHandle kInvalidVolume = -1;

enum class VolumeAccess { ReadWrite, ReadOnly };

struct OpenResult {
    VolumeHandle handle = kInvalidVolume;
    std::uint32_t error = 0;  // the OS error code when `handle` is invalid, else 0
};

enum class DataDirection { In, Out, None };

// One command for the pass-through route. The spans stay valid for the call only.
struct ScsiRequest {
    std::span<const std::uint8_t> cdb;
    DataDirection direction = DataDirection::None;
    std::span<std::uint8_t> data;   // moved to or from the drive; unused for None
    std::span<std::uint8_t> sense;  // room for the sense bytes the drive returns
    std::chrono::seconds timeout{60};
};

struct ScsiOutcome {
    // The command reached the drive and the transport reported no failure of its own;
    // the drive's verdict is then `scsiStatus` (0 GOOD, 2 CHECK CONDITION, 8 BUSY, ...).
    bool delivered = false;
    std::uint8_t scsiStatus = 0;
    std::uint32_t error = 0;  // 0 when delivered, else the OS error code of the call
};

struct ScsiAddress {
    std::uint8_t port = 0;  // host adapter
    std::uint8_t path = 0;  // channel; never used by the component
    std::uint8_t target = 0;
    std::uint8_t lun = 0;
};

// The two entry points of an ASPI library: support information, and the submission of one
// request block whose layout the block's command byte gives. Both use C conventions.
struct AspiEntryPoints {
    std::function<std::uint32_t()> GetASPI32SupportInfo;
    std::function<std::uint32_t(void*)> SendASPI32Command;
};

// A completion event of one ASPI request. Its number travels to the library in the
// request's SRB_PostProc field; the library signals it when a pending request completes.
using CompletionEvent = std::intptr_t;
inline constexpr CompletionEvent kNoEvent = -1;

struct UtcTimeOfDay {
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t millisecond = 0;
};

// One optical drive node of the system (/dev/srN) as this process finds it.
struct OpticalNode {
    std::string path;
    std::string group;  // the owner group's name (its number when it has none)
    bool groupOfThisProcess = false;
    std::uint32_t openError = 0;  // 0: it opens for reading; else the OS error (EACCES, EBUSY, ...)
};

// What the system shows about its optical drives, to tell why none could be opened.
struct DriveAccessFacts {
    std::vector<OpticalNode> nodes;         // the optical drive nodes, in number order
    std::vector<std::string> kernelDrives;  // optical block devices the kernel lists ("sr0")
    std::size_t scsiOpticalDevices = 0;     // SCSI devices of type 5 (CD/DVD), driver bound or not
    bool opticalDriverLoaded = false;       // the kernel's CD/DVD driver (sr_mod)
    std::string container;                  // the container or sandbox this runs in, "" for none
};

class DrivePlatform {
public:
    virtual ~DrivePlatform() = default;

    // The type of drive `letter` ('C'..'Z'), one of DriveTypeCode. Never fails: a letter
    // with nothing behind it is kDriveNoRootDir.
    virtual std::uint32_t DriveType(char letter) = 0;

    // Opens the volume of `letter` for commands. Success: a valid handle, error 0.
    // Failure (no such volume, no permission): kInvalidVolume and the OS error code.
    // A drive without a disc opens all the same.
    virtual OpenResult OpenVolume(char letter, VolumeAccess access) = 0;

    // Runs one command on an open volume and waits for it, at most `request.timeout`.
    // Delivered: `scsiStatus` is the drive's status byte, `sense` holds what the drive
    // returned with a non-GOOD status, `data` what it moved. Not delivered (invalid handle,
    // OS refusal, transport or time-out failure): `error` is the OS error code (EIO for a
    // transport failure); data and sense may hold anything the transport left.
    virtual ScsiOutcome PassThrough(VolumeHandle volume, const ScsiRequest& request) = 0;

    // The bus address of the drive behind an open volume; nullopt when it cannot be told.
    virtual std::optional<ScsiAddress> QueryAddress(VolumeHandle volume) = 0;

    // Releases a volume handle. True when the handle is released (the number may then be
    // reused by the system); false when it was not a handle of an open volume.
    virtual bool CloseVolume(VolumeHandle volume) = 0;

    // Loads the ASPI library `name` (kept loaded for the rest of the process) and finds its
    // two entry points. nullopt when it cannot be loaded or lacks either entry point.
    virtual std::optional<AspiEntryPoints> LoadAspiLibrary(std::string_view name) = 0;

    // A new, unsignalled completion event, or kNoEvent when none can be made.
    virtual CompletionEvent CreateCompletionEvent() = 0;
    // Blocks until the event is signalled. There is no time limit: an ASPI request that never
    // completes blocks the caller. Returns at once for kNoEvent.
    virtual void WaitForCompletion(CompletionEvent event) = 0;
    // Returns a signalled event to the unsignalled state; harmless when it is not signalled.
    virtual void ResetCompletionEvent(CompletionEvent event) = 0;
    virtual void CloseCompletionEvent(CompletionEvent event) = 0;

    // Minute, second and millisecond of the current UTC time (for trace lines).
    virtual UtcTimeOfDay UtcTime() = 0;

    // The folder for temporary files, without a trailing separator.
    virtual std::string TemporaryFolder() = 0;

    // What the system shows about its optical drives. Never fails: what cannot be read is
    // left empty.
    virtual DriveAccessFacts AccessFacts() = 0;
};

}  // namespace quendra
