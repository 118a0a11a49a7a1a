#include "drive/linux/LinuxDrivePlatform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <scsi/scsi.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>

#include "drive/linux/AccessFacts.h"
#include "drive/linux/AspiLibraryNames.h"
#include "drive/linux/DeviceNodes.h"
#include "drive/linux/SgIo.h"

namespace quendra::linux_impl {

namespace {

using SupportInfoFunction = std::uint32_t (*)();
using SendCommandFunction = std::uint32_t (*)(void*);

class LinuxDrivePlatform final : public DrivePlatform {
public:
    std::uint32_t DriveType(char letter) override {
        if (letter == kSystemDriveLetter)
            return kDriveFixed;
        const std::string node = OpticalDeviceNode(letter);
        struct stat status {};
        if (!node.empty() && ::stat(node.c_str(), &status) == 0 && S_ISBLK(status.st_mode)) {
            return kDriveCdrom;
        }
        return kDriveNoRootDir;
    }

    OpenResult OpenVolume(char letter, VolumeAccess access) override {
        const std::string node = OpticalDeviceNode(letter);
        if (node.empty())
            return {kInvalidVolume, ENOENT};
        // Without O_NONBLOCK a drive without a disc refuses to open.
        const int mode = access == VolumeAccess::ReadWrite ? O_RDWR : O_RDONLY;
        const int fd = ::open(node.c_str(), mode | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return {kInvalidVolume, static_cast<std::uint32_t>(errno)};
        return {fd, 0};
    }

    ScsiOutcome PassThrough(VolumeHandle volume, const ScsiRequest& request) override {
        sg_io_hdr header = MakeSgIoHeader(request);
        const int result = ::ioctl(volume, SG_IO, &header);
        return InterpretSgIo(result, result == 0 ? 0 : errno, header);
    }

    std::optional<ScsiAddress> QueryAddress(VolumeHandle volume) override {
        int bus = 0;
        if (::ioctl(volume, SCSI_IOCTL_GET_BUS_NUMBER, &bus) != 0)
            return std::nullopt;
        struct {
            std::uint32_t devId;
            std::uint32_t hostUniqueId;
        } idlun{};
        if (::ioctl(volume, SCSI_IOCTL_GET_IDLUN, &idlun) != 0)
            return std::nullopt;
        return DecodeScsiAddress(bus, idlun.devId);
    }

    bool CloseVolume(VolumeHandle volume) override {
        // Linux releases the descriptor even when close reports an error, except EBADF.
        return ::close(volume) == 0 || errno != EBADF;
    }

    std::optional<AspiEntryPoints> LoadAspiLibrary(std::string_view name) override {
        for (const std::string& file : AspiLibraryCandidates(name)) {
            void* library = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (library == nullptr)
                continue;
            auto* supportInfo =
                reinterpret_cast<SupportInfoFunction>(::dlsym(library, "GetASPI32SupportInfo"));
            auto* sendCommand =
                reinterpret_cast<SendCommandFunction>(::dlsym(library, "SendASPI32Command"));
            if (supportInfo == nullptr || sendCommand == nullptr) {
                ::dlclose(library);
                return std::nullopt;
            }
            // The library stays loaded for the rest of the process.
            return AspiEntryPoints{supportInfo, sendCommand};
        }
        return std::nullopt;
    }

    CompletionEvent CreateCompletionEvent() override {
        const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        return fd < 0 ? kNoEvent : fd;
    }

    void WaitForCompletion(CompletionEvent event) override {
        if (event == kNoEvent)
            return;
        pollfd waiting{static_cast<int>(event), POLLIN, 0};
        while (::poll(&waiting, 1, -1) < 0 && errno == EINTR) {
        }
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t read = ::read(static_cast<int>(event), &count, sizeof count);
    }

    void ResetCompletionEvent(CompletionEvent event) override {
        if (event == kNoEvent)
            return;
        std::uint64_t count = 0;
        // EAGAIN: it was not signalled.
        [[maybe_unused]] const ssize_t read = ::read(static_cast<int>(event), &count, sizeof count);
    }

    void CloseCompletionEvent(CompletionEvent event) override {
        if (event != kNoEvent)
            ::close(static_cast<int>(event));
    }

    UtcTimeOfDay UtcTime() override {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        tm parts{};
        ::gmtime_r(&now.tv_sec, &parts);
        return {static_cast<std::uint16_t>(parts.tm_min), static_cast<std::uint16_t>(parts.tm_sec),
                static_cast<std::uint16_t>(now.tv_nsec / 1000000)};
    }

    std::string TemporaryFolder() override {
        const char* folder = std::getenv("TMPDIR");
        std::string path = folder != nullptr && *folder != '\0' ? folder : "/tmp";
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        return path;
    }

    DriveAccessFacts AccessFacts() override { return ReadDriveAccessFacts("/"); }
};

}  // namespace

std::shared_ptr<DrivePlatform> MakeLinuxDrivePlatform() {
    return std::make_shared<LinuxDrivePlatform>();
}

}  // namespace quendra::linux_impl
