#pragma once

// A simulated ASPI bus: simulated drives at adapter:target:lun addresses behind the two ASPI
// entry points. It reads and writes the request blocks at their byte offsets (its own view
// of the layout, independent of the program's structures) and can complete execute
// requests later: it then returns 0 (pending), hands the work to `defer`, and the work ends
// by setting the status and calling `signal` with the request's SRB_PostProc.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <tuple>

#include "demo/aspi/SimulatedDrive.h"
#include "drive/Capture.h"

namespace quendra {

class SimulatedAspiBus {
public:
    using Work = std::function<void()>;
    using Deferral = std::function<void(Work)>;
    using Signal = std::function<void(std::uintptr_t postProc)>;

    enum class Completion { Synchronous, Pending, Alternate };

    // A drive at this address. `letter`: what get-disk-information reports; without one that
    // request fails.
    void Attach(std::uint8_t adapter, std::uint8_t target, std::uint8_t lun,
                std::shared_ptr<SimulatedDrive> drive, std::optional<char> letter = std::nullopt);

    // The drives of a capture, each at its captured address and reporting its captured
    // letter (none for '?'); the adapter count then reaches the largest captured adapter.
    void AttachCapture(const Capture& capture);

    void SetSupportInfo(std::uint32_t value) { supportInfo_ = value; }
    void SetAdapterCount(std::uint8_t count) { adapterCount_ = count; }
    // How execute requests complete: Pending and Alternate (every second request) need both
    // `defer` and `signal`.
    void SetCompletion(Completion completion, Deferral defer = {}, Signal signal = {});

    std::uint32_t GetSupportInfo() const { return supportInfo_; }
    std::uint32_t Send(void* request);

    std::size_t ExecuteRequests() const;
    std::size_t PendingRequests() const;
    std::size_t DiskInfoRequests() const;

private:
    struct Slot {
        std::shared_ptr<SimulatedDrive> drive;
        std::optional<char> letter;
    };
    using Address = std::tuple<std::uint8_t, std::uint8_t, std::uint8_t>;

    std::uint32_t Execute(std::uint8_t* request);
    void RunExecute(std::uint8_t* request);
    std::uint32_t DiskInfo(std::uint8_t* request);

    std::map<Address, Slot> slots_;
    std::uint32_t supportInfo_ = 0x0101;  // complete, one adapter
    std::uint8_t adapterCount_ = 1;
    Completion completion_ = Completion::Synchronous;
    Deferral defer_;
    Signal signal_;
    mutable std::mutex mutex_;
    std::size_t executeRequests_ = 0;
    std::size_t pendingRequests_ = 0;
    std::size_t diskInfoRequests_ = 0;
};

}  // namespace quendra
