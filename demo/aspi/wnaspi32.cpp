// The simulated ASPI library, libwnaspi32.so: a simulated bus of MMC drives behind the two ASPI
// entry points, found through the ordinary dlopen route when "WNASPI32.DLL" is asked for.
// Some execute requests complete later on a thread of the library: the call returns 0
// (pending), the thread sets SRB_Status and then signals the eventfd in SRB_PostProc.
//
// Run quendra-probe on it (on a machine without optical drives, so that the pass-through
// route finds nothing and the ASPI route is taken):
//
//   LD_LIBRARY_PATH=build/release/demo/aspi build/release/cli/quendra-probe
//
// Without configuration the bus holds two drives: a DVD reader at 0:0:0 (letter D) and a
// DVD burner at 0:1:0 (letter E). QUENDRA_TEST_ASPI_BUS chooses other contents, items
// separated by ";" or ",":
//
//   KIND@A:T:L[=X]   a drive at adapter A, target T, logical unit L; X: the letter that
//                    get-disk-information reports (without it that request fails).
//                    KIND: reader, burner, empty-burner (no disc), plus-writer, cdrom
//   adapters=N       host adapter count reported by the adapter inquiry (default 1)
//   completion=M     sync, pending or alternate (default: every second request pending)
//   nosupport        GetASPI32SupportInfo answers 0
//   capture=FILE     the drives of a capture (quendra-probe --capture FILE), each at its
//                    captured address with its captured letter, answering as captured; the
//                    adapter count reaches the largest captured adapter. A file that cannot
//                    be read is reported on stderr (with the line at fault) and the library
//                    then answers GetASPI32SupportInfo with 0. FILE cannot contain ";" or ",".
//
// An empty QUENDRA_TEST_ASPI_BUS is a bus without drives.
//
// Replay a capture:
//
//   QUENDRA_TEST_ASPI_BUS=capture=drives.capture LD_LIBRARY_PATH=build/release/demo/aspi
//   build/release/cli/quendra-probe   (one command line)

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <variant>
#include <vector>

#include "demo/aspi/SimulatedAspiBus.h"
#include "demo/aspi/linux/CompletionSignal.h"
#include "drive/Capture.h"
#include "util/WholeFiles.h"

namespace quendra {
namespace {

constexpr std::string_view kDefaultBus = "reader@0:0:0=D;burner@0:1:0=E";

// Runs deferred requests one after another on a thread of its own.
class CompletionThread {
public:
    ~CompletionThread() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

    void Post(SimulatedAspiBus::Work work) {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable())
            thread_ = std::thread([this] { Run(); });
        queue_.push_back(std::move(work));
        wake_.notify_all();
    }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty())
                return;
            SimulatedAspiBus::Work work = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            work();
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<SimulatedAspiBus::Work> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

std::shared_ptr<SimulatedDrive> MakeDrive(std::string_view kind) {
    using namespace drives;
    if (kind == "reader")
        return std::make_shared<SimulatedDrive>(DvdReader());
    if (kind == "burner")
        return std::make_shared<SimulatedDrive>(DvdBurner());
    if (kind == "plus-writer")
        return std::make_shared<SimulatedDrive>(DvdPlusOnlyWriter());
    if (kind == "cdrom")
        return std::make_shared<SimulatedDrive>(OldCdRom());
    if (kind == "empty-burner") {
        DriveTable table = DvdBurner();
        table.currentProfile = 0;
        table.notReady = kMediumNotPresent;
        return std::make_shared<SimulatedDrive>(table);
    }
    return nullptr;
}

// "KIND@A:T:L[=X]"
bool AttachDrive(SimulatedAspiBus& bus, std::string_view item) {
    const std::size_t at = item.find('@');
    if (at == std::string_view::npos)
        return false;
    std::shared_ptr<SimulatedDrive> drive = MakeDrive(item.substr(0, at));
    unsigned adapter = 0, target = 0, lun = 0;
    char letter = 0;
    const std::string address(item.substr(at + 1));
    const int fields =
        std::sscanf(address.c_str(), "%u:%u:%u=%c", &adapter, &target, &lun, &letter);
    if (!drive || fields < 3 || adapter > 255 || target > 255 || lun > 255)
        return false;
    std::optional<char> reported;
    if (fields == 4 && letter >= 'A' && letter <= 'Z')
        reported = letter;
    bus.Attach(static_cast<std::uint8_t>(adapter), static_cast<std::uint8_t>(target),
               static_cast<std::uint8_t>(lun), std::move(drive), reported);
    return true;
}

void Complain(const std::string& text) {
    std::fprintf(stderr, "libwnaspi32: %s\n", text.c_str());
}

// Says where a replay through the ASPI scan cannot match the captured run: a drive the scan
// does not reach, and drives listed in another order than the captured run listed them (a
// capture of the pass-through route lists its drives by letter, the scan by address).
void WarnAboutScan(const std::string& file, const Capture& capture) {
    const std::vector<CapturedDrive> drives = CapturedDrives(capture);
    const auto address = [](const CapturedDrive& d) {
        return std::tuple(d.adapter, d.target, d.lun);
    };
    for (const CapturedDrive& drive : drives) {
        if (drive.target > 7 || drive.lun > 6) {
            Complain("drive " + std::to_string(drive.adapter) + ':' + std::to_string(drive.target) +
                     ':' + std::to_string(drive.lun) + " of " + file +
                     " is beyond the scan (targets 0-7, units 0-6) and is not found");
        }
    }
    if (!std::is_sorted(drives.begin(), drives.end(),
                        [&](const auto& a, const auto& b) { return address(a) < address(b); })) {
        Complain("the scan lists the drives of " + file +
                 " by address, not in the order they were captured");
    }
}

// False when the capture cannot be read; the reason is on stderr.
bool AttachCaptureFile(SimulatedAspiBus& bus, const std::string& file) {
    std::string error;
    const std::optional<std::string> text = ReadWholeFile(file, error);
    if (!text) {
        Complain("cannot read " + file + ": " + error);
        return false;
    }
    const std::variant<Capture, CaptureError> parsed = ParseCapture(*text);
    if (const auto* fault = std::get_if<CaptureError>(&parsed)) {
        Complain(file + ": " + CaptureErrorText(*fault));
        return false;
    }
    bus.AttachCapture(std::get<Capture>(parsed));
    WarnAboutScan(file, std::get<Capture>(parsed));
    return true;
}

void Configure(SimulatedAspiBus& bus, std::string_view contents) {
    SimulatedAspiBus::Completion completion = SimulatedAspiBus::Completion::Alternate;
    while (!contents.empty()) {
        const std::size_t end = std::min(contents.find_first_of(";,"), contents.size());
        const std::string_view item = contents.substr(0, end);
        contents.remove_prefix(std::min(end + 1, contents.size()));
        if (item.empty())
            continue;
        if (item == "nosupport") {
            bus.SetSupportInfo(0);
        } else if (item.starts_with("adapters=")) {
            bus.SetAdapterCount(static_cast<std::uint8_t>(std::atoi(item.data() + 9)));
        } else if (item.starts_with("capture=")) {
            if (!AttachCaptureFile(bus, std::string(item.substr(8))))
                bus.SetSupportInfo(0);
        } else if (item == "completion=sync") {
            completion = SimulatedAspiBus::Completion::Synchronous;
        } else if (item == "completion=pending") {
            completion = SimulatedAspiBus::Completion::Pending;
        } else if (item == "completion=alternate") {
            completion = SimulatedAspiBus::Completion::Alternate;
        } else if (!AttachDrive(bus, item)) {
            std::fprintf(stderr, "libwnaspi32: ignoring \"%.*s\"\n", static_cast<int>(item.size()),
                         item.data());
        }
    }
    static CompletionThread thread;
    bus.SetCompletion(
        completion, [](SimulatedAspiBus::Work work) { thread.Post(std::move(work)); },
        [](std::uintptr_t event) { linux_impl::SignalCompletionEvent(event); });
}

SimulatedAspiBus& Bus() {
    static SimulatedAspiBus* bus = [] {
        auto* made = new SimulatedAspiBus;  // lives as long as the process
        const char* contents = std::getenv("QUENDRA_TEST_ASPI_BUS");
        Configure(*made, contents != nullptr ? std::string_view(contents) : kDefaultBus);
        return made;
    }();
    return *bus;
}

}  // namespace
}  // namespace quendra

extern "C" {

__attribute__((visibility("default"))) std::uint32_t GetASPI32SupportInfo(void) {
    return quendra::Bus().GetSupportInfo();
}

__attribute__((visibility("default"))) std::uint32_t SendASPI32Command(void* srb) {
    return quendra::Bus().Send(srb);
}

}  // extern "C"
