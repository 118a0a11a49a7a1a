#pragma once

// A drive platform whose every answer comes from the fuzzer's input: the type of each drive
// letter, whether a volume opens, each command's delivery, status byte, data and sense bytes,
// bus addresses, the ASPI library's presence and each of its request blocks' results. When
// the input runs out every answer is the plain "nothing there" one (zero bytes, failures).

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <set>

#include "drive/DrivePlatform.h"

namespace quendra {

class FuzzedDrivePlatform final : public DrivePlatform {
public:
    explicit FuzzedDrivePlatform(FuzzedDataProvider& input) : input_(input) {}

    std::uint32_t DriveType(char letter) override;
    OpenResult OpenVolume(char letter, VolumeAccess access) override;
    ScsiOutcome PassThrough(VolumeHandle volume, const ScsiRequest& request) override;
    std::optional<ScsiAddress> QueryAddress(VolumeHandle volume) override;
    bool CloseVolume(VolumeHandle volume) override;
    std::optional<AspiEntryPoints> LoadAspiLibrary(std::string_view name) override;
    CompletionEvent CreateCompletionEvent() override;
    void WaitForCompletion(CompletionEvent) override {}
    void ResetCompletionEvent(CompletionEvent) override {}
    void CloseCompletionEvent(CompletionEvent event) override { events_.erase(event); }
    UtcTimeOfDay UtcTime() override { return {}; }
    std::string TemporaryFolder() override { return "/nonexistent"; }
    DriveAccessFacts AccessFacts() override;

    // Handles and events the component left open (both should be none at the end).
    std::size_t OpenHandles() const { return handles_.size(); }

private:
    std::uint32_t SendAspiCommand(void* request);
    void FillFromInput(std::uint8_t* data, std::size_t size);

    FuzzedDataProvider& input_;
    std::set<VolumeHandle> handles_;
    VolumeHandle nextHandle_ = 3;
    std::set<CompletionEvent> events_;
    CompletionEvent nextEvent_ = 1;
};

}  // namespace quendra
