#pragma once

// A drive platform made of supplied parts: drive letters with their types, simulated drives
// and bus addresses, open and address failures, an in-process ASPI library on a simulated
// bus (or the real ASPI route of this machine), a fixed clock and a chosen temporary folder.
// It records what the component asked of it.

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "demo/aspi/SimulatedAspiBus.h"
#include "demo/aspi/SimulatedDrive.h"
#include "drive/Capture.h"
#include "drive/DrivePlatform.h"

namespace quendra {

class FakeDrivePlatform final : public DrivePlatform {
public:
    struct Volume {
        std::uint32_t type = kDriveCdrom;
        std::shared_ptr<SimulatedDrive> drive;  // none: commands fail in the transport (EIO)
        std::optional<ScsiAddress> address;     // none: the address query fails
        std::uint32_t readWriteError = 0;       // nonzero: opening read-write fails with it
        std::uint32_t readOnlyError = 0;        // nonzero: opening read-only fails with it
    };

    struct PassThroughRecord {
        char letter = 0;
        std::vector<std::uint8_t> cdb;
        DataDirection direction = DataDirection::None;
        std::size_t dataLength = 0;
        std::size_t senseLength = 0;
        std::chrono::seconds timeout{0};
    };

    // A CD-ROM drive at `letter` (with an address when given).
    Volume& AddDrive(char letter, std::shared_ptr<SimulatedDrive> drive,
                     std::optional<ScsiAddress> address = std::nullopt);
    // Any kind of letter.
    Volume& SetVolume(char letter, Volume volume);
    // The drives of a capture, each at its captured letter and address, answering as
    // captured. Throws std::invalid_argument for a drive without a letter.
    void AddCapturedDrives(const Capture& capture);

    // An in-process ASPI library called `name` serving `bus`; its pending requests complete
    // inside the wait for their event.
    void InstallAspiLibrary(
        std::string name, std::shared_ptr<SimulatedAspiBus> bus,
        SimulatedAspiBus::Completion completion = SimulatedAspiBus::Completion::Synchronous);
    // Loads ASPI libraries and makes completion events through `real` instead.
    void UseAspiOf(std::shared_ptr<DrivePlatform> real) { real_ = std::move(real); }

    // Behaviour switches.
    bool zeroFillLikeSgIo = false;  // clear the whole data buffer before each answer
    bool failEventCreation = false;
    UtcTimeOfDay time{14, 5, 9};
    std::string temporaryFolder = "/tmp";
    DriveAccessFacts accessFacts;

    // Observations.
    std::vector<PassThroughRecord> passThroughs;
    std::vector<std::string> loadRequests;
    std::size_t opens = 0;
    std::size_t closes = 0;
    std::size_t OpenHandles() const { return handles_.size(); }
    std::size_t eventsCreated = 0;
    std::size_t eventsClosed = 0;

    // DrivePlatform
    std::uint32_t DriveType(char letter) override;
    OpenResult OpenVolume(char letter, VolumeAccess access) override;
    ScsiOutcome PassThrough(VolumeHandle volume, const ScsiRequest& request) override;
    std::optional<ScsiAddress> QueryAddress(VolumeHandle volume) override;
    bool CloseVolume(VolumeHandle volume) override;
    std::optional<AspiEntryPoints> LoadAspiLibrary(std::string_view name) override;
    CompletionEvent CreateCompletionEvent() override;
    void WaitForCompletion(CompletionEvent event) override;
    void ResetCompletionEvent(CompletionEvent event) override;
    void CloseCompletionEvent(CompletionEvent event) override;
    UtcTimeOfDay UtcTime() override { return time; }
    std::string TemporaryFolder() override { return temporaryFolder; }
    DriveAccessFacts AccessFacts() override { return accessFacts; }

private:
    std::map<char, Volume> volumes_;
    std::map<VolumeHandle, char> handles_;
    VolumeHandle nextHandle_ = 100;

    std::map<std::string, std::shared_ptr<SimulatedAspiBus>> libraries_;
    std::shared_ptr<DrivePlatform> real_;
    std::map<CompletionEvent, bool> events_;  // signalled or not
    CompletionEvent nextEvent_ = 500;
    std::vector<SimulatedAspiBus::Work> deferred_;
};

}  // namespace quendra
