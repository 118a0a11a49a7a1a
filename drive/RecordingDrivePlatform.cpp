#include "drive/RecordingDrivePlatform.h"

#include <algorithm>
#include <cstring>

#include "drive/linux/LinuxDrivePlatform.h"
#include "util/ByteOrder.h"

namespace quendra {

namespace {

constexpr std::uint16_t kFeatureDriveSerialNumber = 0x0108;
constexpr std::size_t kConfigurationHeaderLength = 8;
constexpr std::size_t kFeatureHeaderLength = 4;

// Zeroes the data of every Drive Serial Number feature in a GET CONFIGURATION answer.
void BlankSerialNumbers(std::vector<std::uint8_t>& answer) {
    std::size_t at = kConfigurationHeaderLength;
    while (at + kFeatureHeaderLength <= answer.size()) {
        const std::size_t length = answer[at + 3];
        const std::size_t begin = at + kFeatureHeaderLength;
        const std::size_t end = std::min(begin + length, answer.size());
        if (ReadBE16(answer, at) == kFeatureDriveSerialNumber)
            std::fill(answer.begin() + static_cast<std::ptrdiff_t>(begin),
                      answer.begin() + static_cast<std::ptrdiff_t>(end), 0);
        at = begin + length;
    }
}

// Data from the drive as it stands after the command, without trailing zero bytes.
std::vector<std::uint8_t> ReceivedData(std::span<const std::uint8_t> cdb, DataDirection direction,
                                       std::span<const std::uint8_t> buffer) {
    if (direction != DataDirection::In)
        return {};
    std::vector<std::uint8_t> data = WithoutTrailingZeros(buffer);
    if (!cdb.empty() && cdb[0] == kOpGetConfiguration) {
        BlankSerialNumbers(data);
        data = WithoutTrailingZeros(data);
    }
    return data;
}

DataDirection DirectionOfFlags(std::uint8_t flags) {
    if (flags & SRB_DIR_IN)
        return DataDirection::In;
    if (flags & SRB_DIR_OUT)
        return DataDirection::Out;
    return DataDirection::None;
}

std::chrono::microseconds Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

const TDeviceEntry* EntryWithLetter(const TSCSIDevice& device, char letter) {
    const auto end = device.Devices.begin() + device.NoOfDevices;
    const auto found = std::find_if(device.Devices.begin(), end,
                                    [&](const TDeviceEntry& e) { return e.DriveLetter == letter; });
    return found == end ? nullptr : &*found;
}

const TDeviceEntry* EntryAt(const TSCSIDevice& device, const CapturedExchange& exchange) {
    const auto end = device.Devices.begin() + device.NoOfDevices;
    const auto found = std::find_if(device.Devices.begin(), end, [&](const TDeviceEntry& e) {
        return e.HaId == exchange.adapter && e.Target == exchange.target && e.Lun == exchange.lun;
    });
    return found == end ? nullptr : &*found;
}

}  // namespace

RecordingDrivePlatform::RecordingDrivePlatform(std::shared_ptr<DrivePlatform> inner)
    : inner_(inner ? std::move(inner) : linux_impl::MakeLinuxDrivePlatform()) {}

Capture RecordingDrivePlatform::CaptureOf(const TSCSIDevice& device) const {
    Capture capture;
    for (const Recorded& recorded : recorded_) {
        const TDeviceEntry* entry = recorded.aspi
                                        ? EntryAt(device, recorded.exchange)
                                        : EntryWithLetter(device, recorded.exchange.letter);
        if (entry == nullptr)
            continue;
        CapturedExchange exchange = recorded.exchange;
        exchange.adapter = entry->HaId;
        exchange.target = entry->Target;
        exchange.lun = entry->Lun;
        exchange.letter =
            entry->DriveLetter >= 'A' && entry->DriveLetter <= 'Z' ? entry->DriveLetter : '?';
        capture.exchanges.push_back(std::move(exchange));
    }
    return capture;
}

std::uint32_t RecordingDrivePlatform::DriveType(char letter) {
    return inner_->DriveType(letter);
}

OpenResult RecordingDrivePlatform::OpenVolume(char letter, VolumeAccess access) {
    const OpenResult opened = inner_->OpenVolume(letter, access);
    lastOpened_ = letter;
    if (opened.handle != kInvalidVolume)
        letters_[opened.handle] = letter;
    return opened;
}

ScsiOutcome RecordingDrivePlatform::PassThrough(VolumeHandle volume, const ScsiRequest& request) {
    const Clock::time_point start = Clock::now();
    const ScsiOutcome outcome = inner_->PassThrough(volume, request);

    Recorded recorded;
    CapturedExchange& exchange = recorded.exchange;
    exchange.elapsed = Since(start);
    // A volume that could not be opened is the one asked for last: the transport opens the
    // drive's volume right before its command.
    const auto letter = letters_.find(volume);
    exchange.letter = letter != letters_.end() ? letter->second : lastOpened_;
    exchange.cdb.assign(request.cdb.begin(), request.cdb.end());
    exchange.direction = request.direction;
    exchange.length = static_cast<std::uint32_t>(request.data.size());
    exchange.data = ReceivedData(request.cdb, request.direction, request.data);
    exchange.sense = WithoutTrailingZeros(request.sense);
    exchange.status = outcome.scsiStatus;
    if (!outcome.delivered) {
        exchange.outcome = CaptureOutcome::OsError;
        exchange.outcomeCode = outcome.error;
    }
    recorded_.push_back(std::move(recorded));
    return outcome;
}

std::optional<ScsiAddress> RecordingDrivePlatform::QueryAddress(VolumeHandle volume) {
    return inner_->QueryAddress(volume);
}

bool RecordingDrivePlatform::CloseVolume(VolumeHandle volume) {
    const bool closed = inner_->CloseVolume(volume);
    if (closed)
        letters_.erase(volume);
    return closed;
}

std::optional<AspiEntryPoints> RecordingDrivePlatform::LoadAspiLibrary(std::string_view name) {
    std::optional<AspiEntryPoints> library = inner_->LoadAspiLibrary(name);
    if (!library || !library->SendASPI32Command)
        return library;
    AspiEntryPoints recorded;
    recorded.GetASPI32SupportInfo = library->GetASPI32SupportInfo;
    recorded.SendASPI32Command = [this, inner = *library](void* request) {
        return SendAspiRequest(inner, request);
    };
    return recorded;
}

std::uint32_t RecordingDrivePlatform::SendAspiRequest(const AspiEntryPoints& library,
                                                      void* request) {
    const Clock::time_point start = Clock::now();
    const std::uint32_t result = library.SendASPI32Command(request);
    if (request == nullptr || *static_cast<const std::uint8_t*>(request) != SC_EXEC_SCSI_CMD)
        return result;
    if (static_cast<std::uint8_t>(result) != SS_PENDING) {
        RecordAspiRequest(request, start);
    } else {
        TSRB_ExecSCSICmd srb;
        std::memcpy(&srb, request, sizeof srb);
        pending_[static_cast<CompletionEvent>(srb.SRB_PostProc)] = Pending{request, start};
    }
    return result;
}

void RecordingDrivePlatform::RecordAspiRequest(const void* request, Clock::time_point start) {
    TSRB_ExecSCSICmd srb;
    std::memcpy(&srb, request, sizeof srb);

    Recorded recorded;
    recorded.aspi = true;
    CapturedExchange& exchange = recorded.exchange;
    exchange.elapsed = Since(start);
    exchange.adapter = srb.SRB_HaId;
    exchange.target = srb.SRB_Target;
    exchange.lun = srb.SRB_Lun;
    const std::array<std::uint8_t, 16> cdb = srb.CDBByte;
    exchange.cdb.assign(cdb.begin(), cdb.begin() + std::min<std::size_t>(srb.SRB_CDBLen, 16));
    exchange.direction = DirectionOfFlags(srb.SRB_Flags);
    exchange.length = srb.SRB_BufLen;
    std::uint8_t* const buffer = srb.SRB_BufPointer;
    if (buffer != nullptr) {
        exchange.data = ReceivedData(exchange.cdb, exchange.direction,
                                     std::span<const std::uint8_t>(buffer, srb.SRB_BufLen));
    }
    const std::array<std::uint8_t, 32> sense = srb.SenseArea;
    exchange.sense = WithoutTrailingZeros(
        std::span(sense).first(std::min<std::size_t>(srb.SRB_SenseLen, sense.size())));
    exchange.status = srb.SRB_TargStat;
    const std::uint8_t expected = exchange.status == STATUS_GOOD ? SS_COMP : SS_ERR;
    if (srb.SRB_Status != expected) {
        exchange.outcome = CaptureOutcome::AspiStatus;
        exchange.outcomeCode = srb.SRB_Status;
    }
    recorded_.push_back(std::move(recorded));
}

CompletionEvent RecordingDrivePlatform::CreateCompletionEvent() {
    return inner_->CreateCompletionEvent();
}

void RecordingDrivePlatform::WaitForCompletion(CompletionEvent event) {
    inner_->WaitForCompletion(event);
    if (const auto pending = pending_.find(event); pending != pending_.end()) {
        RecordAspiRequest(pending->second.request, pending->second.start);
        pending_.erase(pending);
    }
}

void RecordingDrivePlatform::ResetCompletionEvent(CompletionEvent event) {
    inner_->ResetCompletionEvent(event);
}

void RecordingDrivePlatform::CloseCompletionEvent(CompletionEvent event) {
    // A request nobody waited for may still be running in the library: it is not read.
    pending_.erase(event);
    inner_->CloseCompletionEvent(event);
}

UtcTimeOfDay RecordingDrivePlatform::UtcTime() {
    return inner_->UtcTime();
}

std::string RecordingDrivePlatform::TemporaryFolder() {
    return inner_->TemporaryFolder();
}

DriveAccessFacts RecordingDrivePlatform::AccessFacts() {
    return inner_->AccessFacts();
}

}  // namespace quendra
