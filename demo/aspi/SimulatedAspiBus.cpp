#include "demo/aspi/SimulatedAspiBus.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace quendra {

namespace {

// Offsets of the request blocks. The execute request has two pointer-sized fields.
constexpr std::size_t kCmd = 0;
constexpr std::size_t kStatus = 1;
constexpr std::size_t kHaId = 2;
constexpr std::size_t kFlags = 3;
constexpr std::size_t kTarget = 8;
constexpr std::size_t kLun = 9;
constexpr std::size_t kBufLen = 12;
constexpr std::size_t kBufPointer = 16;
constexpr std::size_t kPointerSize = sizeof(void*);
constexpr std::size_t kSenseLen = kBufPointer + kPointerSize;
constexpr std::size_t kCdbLen = kSenseLen + 1;
constexpr std::size_t kTargStat = kSenseLen + 3;
constexpr std::size_t kPostProc = kSenseLen + 4;
constexpr std::size_t kCdb = kPostProc + kPointerSize + 20;
constexpr std::size_t kSenseArea = kCdb + 16;
constexpr std::size_t kSenseAreaSize = 32;
constexpr std::size_t kHaCount = 8;
constexpr std::size_t kInt13DriveInfo = 11;

constexpr std::uint8_t kHaInquiry = 0x00;
constexpr std::uint8_t kExecute = 0x02;
constexpr std::uint8_t kGetDiskInfo = 0x06;

constexpr std::uint8_t kPending = 0x00;
constexpr std::uint8_t kComplete = 0x01;
constexpr std::uint8_t kError = 0x04;
constexpr std::uint8_t kInvalidRequest = 0x80;
constexpr std::uint8_t kNoDevice = 0x82;

template <typename T>
T Load(const std::uint8_t* request, std::size_t offset) {
    T value;
    std::memcpy(&value, request + offset, sizeof value);
    return value;
}

DataDirection DirectionOf(std::uint8_t flags) {
    if (flags & 0x08)
        return DataDirection::In;
    if (flags & 0x10)
        return DataDirection::Out;
    return DataDirection::None;
}

}  // namespace

void SimulatedAspiBus::Attach(std::uint8_t adapter, std::uint8_t target, std::uint8_t lun,
                              std::shared_ptr<SimulatedDrive> drive, std::optional<char> letter) {
    std::lock_guard lock(mutex_);
    slots_[{adapter, target, lun}] = Slot{std::move(drive), letter};
}

void SimulatedAspiBus::SetCompletion(Completion completion, Deferral defer, Signal signal) {
    std::lock_guard lock(mutex_);
    completion_ = completion;
    defer_ = std::move(defer);
    signal_ = std::move(signal);
}

std::size_t SimulatedAspiBus::ExecuteRequests() const {
    std::lock_guard lock(mutex_);
    return executeRequests_;
}

std::size_t SimulatedAspiBus::PendingRequests() const {
    std::lock_guard lock(mutex_);
    return pendingRequests_;
}

std::size_t SimulatedAspiBus::DiskInfoRequests() const {
    std::lock_guard lock(mutex_);
    return diskInfoRequests_;
}

void SimulatedAspiBus::AttachCapture(const Capture& capture) {
    unsigned largestAdapter = 0;
    for (const CapturedDrive& drive : CapturedDrives(capture)) {
        std::optional<char> letter;
        if (drive.letter != '?')
            letter = drive.letter;
        Attach(drive.adapter, drive.target, drive.lun,
               std::make_shared<SimulatedDrive>(CaptureReplay(drive.exchanges)), letter);
        largestAdapter = std::max<unsigned>(largestAdapter, drive.adapter);
    }
    SetAdapterCount(static_cast<std::uint8_t>(std::min(largestAdapter + 1, 255u)));
}

std::uint32_t SimulatedAspiBus::Send(void* request) {
    auto* bytes = static_cast<std::uint8_t*>(request);
    switch (bytes[kCmd]) {
        case kHaInquiry:
            bytes[kHaCount] = adapterCount_;
            bytes[kStatus] = kComplete;
            return kComplete;
        case kExecute:
            return Execute(bytes);
        case kGetDiskInfo:
            return DiskInfo(bytes);
        default:
            bytes[kStatus] = kInvalidRequest;
            return kInvalidRequest;
    }
}

std::uint32_t SimulatedAspiBus::Execute(std::uint8_t* request) {
    bool later = false;
    {
        std::lock_guard lock(mutex_);
        ++executeRequests_;
        later = completion_ == Completion::Pending ||
                (completion_ == Completion::Alternate && executeRequests_ % 2 == 0);
        later = later && defer_ && signal_;
        if (later)
            ++pendingRequests_;
    }
    if (!later) {
        RunExecute(request);
        return request[kStatus];
    }
    request[kStatus] = kPending;
    defer_([this, request] {
        RunExecute(request);
        signal_(Load<std::uintptr_t>(request, kPostProc));
    });
    return kPending;
}

void SimulatedAspiBus::RunExecute(std::uint8_t* request) {
    std::shared_ptr<SimulatedDrive> drive;
    {
        std::lock_guard lock(mutex_);
        const auto slot = slots_.find({request[kHaId], request[kTarget], request[kLun]});
        if (slot != slots_.end())
            drive = slot->second.drive;
    }
    if (!drive) {
        request[kStatus] = kNoDevice;
        return;
    }
    const std::size_t cdbLength = std::min<std::size_t>(request[kCdbLen], 16);
    auto* buffer = Load<std::uint8_t*>(request, kBufPointer);
    const auto length = Load<std::uint32_t>(request, kBufLen);
    std::span<std::uint8_t> data;
    if (buffer != nullptr)
        data = std::span(buffer, length);
    const DriveAnswer answer =
        drive->Execute(std::span(request + kCdb, cdbLength), DirectionOf(request[kFlags]), data);
    request[kTargStat] = answer.status;
    if (answer.status == 0 && answer.transportError == 0 && !answer.aspiStatus) {
        request[kStatus] = kComplete;
        return;
    }
    const std::size_t senseLength =
        std::min({answer.sense.size(), std::size_t{request[kSenseLen]}, kSenseAreaSize});
    std::copy_n(answer.sense.begin(), senseLength, request + kSenseArea);
    request[kStatus] = answer.aspiStatus.value_or(kError);
}

std::uint32_t SimulatedAspiBus::DiskInfo(std::uint8_t* request) {
    std::optional<char> letter;
    {
        std::lock_guard lock(mutex_);
        ++diskInfoRequests_;
        const auto slot = slots_.find({request[kHaId], request[kTarget], request[kLun]});
        if (slot != slots_.end())
            letter = slot->second.letter;
    }
    if (!letter) {
        request[kStatus] = kError;
        return kError;
    }
    request[kInt13DriveInfo] = static_cast<std::uint8_t>(*letter - 'A');
    request[kStatus] = kComplete;
    return kComplete;
}

}  // namespace quendra
