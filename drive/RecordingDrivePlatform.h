#pragma once

// A drive platform that passes everything to another one and records every SCSI command on
// the way: the pass-through commands, and the execute requests of the ASPI library it loads
// (a pending request when its completion has been waited for). Both routes of the drive
// component go through the platform, so one recorder sees every command of a run.
// Answers are recorded as the program received them, except the data of a Drive Serial
// Number feature in a configuration answer (which the program never asks for, yet a drive
// may send), which is blanked.

#include <chrono>
#include <map>
#include <memory>
#include <optional>

#include "drive/Capture.h"
#include "drive/ScsiLib.h"

namespace quendra {

class RecordingDrivePlatform final : public DrivePlatform {
public:
    // Records what passes to `inner`; null means the real drives of this machine.
    explicit RecordingDrivePlatform(std::shared_ptr<DrivePlatform> inner);

    // The recorded exchanges with the drives of `device`'s table, each named by the table's
    // address and letter. Commands to anything else (the ASPI scan of other addresses) are
    // left out.
    Capture CaptureOf(const TSCSIDevice& device) const;

    std::uint32_t DriveType(char letter) override;
    OpenResult OpenVolume(char letter, VolumeAccess access) override;
    ScsiOutcome PassThrough(VolumeHandle volume, const ScsiRequest& request) override;
    std::optional<ScsiAddress> QueryAddress(VolumeHandle volume) override;
    bool CloseVolume(VolumeHandle volume) override;
    // The entry points of the loaded library, with the submission recorded. They use this
    // platform and must not outlive it.
    std::optional<AspiEntryPoints> LoadAspiLibrary(std::string_view name) override;
    CompletionEvent CreateCompletionEvent() override;
    void WaitForCompletion(CompletionEvent event) override;
    void ResetCompletionEvent(CompletionEvent event) override;
    void CloseCompletionEvent(CompletionEvent event) override;
    UtcTimeOfDay UtcTime() override;
    std::string TemporaryFolder() override;
    DriveAccessFacts AccessFacts() override;

private:
    using Clock = std::chrono::steady_clock;

    // One command as recorded: pass-through commands know their letter, ASPI requests their
    // address; CaptureOf names the drive from the table.
    struct Recorded {
        bool aspi = false;
        CapturedExchange exchange;
    };
    struct Pending {
        void* request = nullptr;
        Clock::time_point start;
    };

    std::uint32_t SendAspiRequest(const AspiEntryPoints& library, void* request);
    void RecordAspiRequest(const void* request, Clock::time_point start);

    std::shared_ptr<DrivePlatform> inner_;
    std::vector<Recorded> recorded_;
    std::map<VolumeHandle, char> letters_;  // of the open volumes
    char lastOpened_ = '?';                 // a command on a volume that did not open
    std::map<CompletionEvent, Pending> pending_;
};

}  // namespace quendra
