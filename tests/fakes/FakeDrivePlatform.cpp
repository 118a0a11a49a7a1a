#include "tests/fakes/FakeDrivePlatform.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace quendra {

FakeDrivePlatform::Volume& FakeDrivePlatform::AddDrive(char letter,
                                                       std::shared_ptr<SimulatedDrive> drive,
                                                       std::optional<ScsiAddress> address) {
    Volume volume;
    volume.drive = std::move(drive);
    volume.address = address;
    return SetVolume(letter, std::move(volume));
}

FakeDrivePlatform::Volume& FakeDrivePlatform::SetVolume(char letter, Volume volume) {
    return volumes_[letter] = std::move(volume);
}

void FakeDrivePlatform::AddCapturedDrives(const Capture& capture) {
    for (const CapturedDrive& drive : CapturedDrives(capture)) {
        if (drive.letter < 'C' || drive.letter > 'Z')
            throw std::invalid_argument("a captured drive without a drive letter");
        AddDrive(drive.letter, std::make_shared<SimulatedDrive>(CaptureReplay(drive.exchanges)),
                 ScsiAddress{drive.adapter, 0, drive.target, drive.lun});
    }
}

void FakeDrivePlatform::InstallAspiLibrary(std::string name, std::shared_ptr<SimulatedAspiBus> bus,
                                           SimulatedAspiBus::Completion completion) {
    bus->SetCompletion(
        completion, [this](SimulatedAspiBus::Work work) { deferred_.push_back(std::move(work)); },
        [this](std::uintptr_t postProc) {
            const auto event = static_cast<CompletionEvent>(postProc);
            if (events_.count(event) != 0)
                events_[event] = true;
        });
    libraries_[std::move(name)] = std::move(bus);
}

std::uint32_t FakeDrivePlatform::DriveType(char letter) {
    if (const auto found = volumes_.find(letter); found != volumes_.end()) {
        return found->second.type;
    }
    return letter == 'C' ? kDriveFixed : kDriveNoRootDir;
}

OpenResult FakeDrivePlatform::OpenVolume(char letter, VolumeAccess access) {
    const auto found = volumes_.find(letter);
    if (found == volumes_.end())
        return {kInvalidVolume, ENOENT};
    const std::uint32_t error = access == VolumeAccess::ReadWrite ? found->second.readWriteError
                                                                  : found->second.readOnlyError;
    if (error != 0)
        return {kInvalidVolume, error};
    ++opens;
    const VolumeHandle handle = nextHandle_++;
    handles_[handle] = letter;
    return {handle, 0};
}

ScsiOutcome FakeDrivePlatform::PassThrough(VolumeHandle volume, const ScsiRequest& request) {
    const auto handle = handles_.find(volume);
    PassThroughRecord record;
    record.letter = handle == handles_.end() ? '\0' : handle->second;
    record.cdb.assign(request.cdb.begin(), request.cdb.end());
    record.direction = request.direction;
    record.dataLength = request.data.size();
    record.senseLength = request.sense.size();
    record.timeout = request.timeout;
    passThroughs.push_back(record);

    ScsiOutcome outcome;
    if (handle == handles_.end()) {
        outcome.error = EBADF;
        return outcome;
    }
    const Volume& target = volumes_.at(handle->second);
    if (!target.drive) {
        outcome.error = EIO;
        return outcome;
    }
    const std::span<std::uint8_t> data =
        request.direction == DataDirection::None ? std::span<std::uint8_t>() : request.data;
    if (zeroFillLikeSgIo)
        std::fill(data.begin(), data.end(), 0);
    const DriveAnswer answer = target.drive->Execute(request.cdb, request.direction, data);
    std::copy_n(answer.sense.begin(), std::min(answer.sense.size(), request.sense.size()),
                request.sense.begin());
    outcome.scsiStatus = answer.status;
    if (answer.transportError != 0 || answer.aspiStatus) {
        outcome.error = answer.transportError != 0 ? answer.transportError : EIO;
        return outcome;
    }
    outcome.delivered = true;
    return outcome;
}

std::optional<ScsiAddress> FakeDrivePlatform::QueryAddress(VolumeHandle volume) {
    const auto handle = handles_.find(volume);
    if (handle == handles_.end())
        return std::nullopt;
    return volumes_.at(handle->second).address;
}

bool FakeDrivePlatform::CloseVolume(VolumeHandle volume) {
    if (handles_.erase(volume) == 0)
        return false;
    ++closes;
    return true;
}

std::optional<AspiEntryPoints> FakeDrivePlatform::LoadAspiLibrary(std::string_view name) {
    loadRequests.emplace_back(name);
    if (real_)
        return real_->LoadAspiLibrary(name);
    const auto found = libraries_.find(std::string(name));
    if (found == libraries_.end())
        return std::nullopt;
    std::shared_ptr<SimulatedAspiBus> bus = found->second;
    return AspiEntryPoints{[bus] { return bus->GetSupportInfo(); },
                           [bus](void* request) { return bus->Send(request); }};
}

CompletionEvent FakeDrivePlatform::CreateCompletionEvent() {
    if (failEventCreation)
        return kNoEvent;
    ++eventsCreated;
    if (real_)
        return real_->CreateCompletionEvent();
    const CompletionEvent event = nextEvent_++;
    events_[event] = false;
    return event;
}

void FakeDrivePlatform::WaitForCompletion(CompletionEvent event) {
    if (real_)
        return real_->WaitForCompletion(event);
    // The simulated library's "other thread" runs now.
    std::vector<SimulatedAspiBus::Work> work;
    work.swap(deferred_);
    for (auto& step : work)
        step();
    const auto found = events_.find(event);
    if (found == events_.end() || !found->second) {
        throw std::logic_error("waiting for a completion event that is never signalled");
    }
}

void FakeDrivePlatform::ResetCompletionEvent(CompletionEvent event) {
    if (real_)
        return real_->ResetCompletionEvent(event);
    if (const auto found = events_.find(event); found != events_.end())
        found->second = false;
}

void FakeDrivePlatform::CloseCompletionEvent(CompletionEvent event) {
    ++eventsClosed;
    if (real_)
        return real_->CloseCompletionEvent(event);
    events_.erase(event);
}

}  // namespace quendra
