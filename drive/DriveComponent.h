#pragma once

// The drive component: finds the optical drives, selects one, probes what it can do and
// answers questions about it. Everything runs on the caller's thread; callers serialise
// their calls.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "drive/DriveDetails.h"
#include "drive/DrivePlatform.h"
#include "drive/NoDriveCauses.h"
#include "drive/ScsiLib.h"

namespace quendra {

// The file-list record of the disc-writing engine, as far as the error queries read it.
// This program never writes a disc, so its error number stays 0 unless set from outside.
struct TCDFiles {
    std::uint32_t ErrorNumber = 0;
    std::string FileName;  // system code page
};

class TDriveComponent {
public:
    // On the real drives of this machine.
    TDriveComponent();
    // On the given platform (tests, simulated drives); null means the real one.
    explicit TDriveComponent(std::shared_ptr<DrivePlatform> platform);
    // Closes the trace log and the selected drive's volume.
    ~TDriveComponent();

    TDriveComponent(const TDriveComponent&) = delete;
    TDriveComponent& operator=(const TDriveComponent&) = delete;

    TSCSIDevice Device;
    TCDFiles CDFiles;

    // Settings of the disc-writing engine (BurnProof, TestWrite and FinalizeDisc live in
    // Device). This program never uses them.
    bool ReplaceFile = false;
    std::uint32_t CacheSize = 32;  // megabytes
    bool JolietFileSystem = true;
    bool UDFBridge = false;
    std::string BootImage;

    // Rebuilds the device table from nothing and chooses the route of every later command:
    // pass-through on the CD-ROM drive letters (unless NoInternalASPI), else the ASPI library
    // ASPIDLLPath ("WNASPI32.DLL" when empty). Afterwards no drive is selected.
    // Reserved1, when not empty, names a trace log file to create.
    // False when neither route is available. Throws std::runtime_error when the trace log
    // cannot be created.
    bool InitializeASPI(bool NoInternalASPI, std::string_view ASPIDLLPath,
                        std::string_view Reserved1);

    std::uint16_t DeviceCount() const;
    // The display name of table entry DeviceIndex (system code page), or "" outside the table.
    std::string GetDeviceName(std::uint8_t DeviceIndex) const;

    // Selects a table entry, sends it an INQUIRY and probes its capabilities. True when the
    // drive answered the INQUIRY. An index outside the table leaves no drive selected and the
    // previous capability records as they were.
    bool SelectDevice(std::uint8_t DeviceIndex);
    // Selects each entry with this letter in turn and returns the last result; false when no
    // entry has it.
    bool SelectDeviceByLetter(char DriveLetter);

    // Capability ids 1-14, 21-32, 41, 42 answer from the last probe; 72 opens the trace log
    // drivetrace.elg in the temporary folder (throws std::runtime_error when it cannot be
    // created) and answers true; 73 closes it (true if one was open); 77 switches the WRITE
    // (10) address rule on and answers false; every other id is false.
    bool DeviceCan(std::uint8_t DeviceCapabilityID);
    // True when the last probe's capabilities page shows any write bit.
    bool DeviceIsBurner() const;
    bool TestUnitReady();

    // Each runs the probe again (refreshing what DeviceCan and DeviceIsBurner answer); kB/s.
    std::uint16_t DeviceMaxReadSpeed();
    std::uint16_t DeviceMaxWriteSpeed();
    std::uint16_t ReadSpeed();
    std::uint16_t WriteSpeed();
    std::uint16_t MaxWriteSpeed();
    std::uint32_t DeviceBufferSize() const;

    // The pending error number (the engine's first, else the last drive error), cleared by
    // reading it; the texts read and clear it the same way.
    std::uint32_t ErrorNumber();
    std::string ErrorString();
    std::u16string ErrorStringW();

    // The selected drive's profiles, microcode upgrade support, firmware date and disc, from
    // commands of their own; the capability records stay as they are.
    DriveDetails ReadDetails();

    // Why no drive could be opened, from what the system shows; each cause with its fix.
    std::vector<NoDriveFinding> ExplainNoDrive();

private:
    void CloseVolume();

    std::shared_ptr<DrivePlatform> platform_;
};

}  // namespace quendra
