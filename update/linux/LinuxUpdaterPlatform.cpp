#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "update/UpdaterPlatform.h"
#include "update/linux/StartDetached.h"
#include "util/Unicode.h"

extern char** environ;

namespace quendra {
namespace linux_impl {
namespace {

// The full path of `program` along PATH, or nothing.
std::string FindProgram(const std::string& program) {
    if (program.find('/') != std::string::npos)
        return program;
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const auto end = folders.find(':', start);
        std::string candidate = folders.substr(start, end == std::string::npos ? end : end - start);
        if (candidate.empty())
            candidate.push_back('.');  // an empty entry means the current folder
        candidate += '/';
        candidate += program;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return {};
}

}  // namespace

// Starts the program detached (a grandchild that init adopts), with an argument vector and
// never through a shell. Only async-signal-safe calls run between fork and exec. Every
// descriptor the program opens is close-on-exec, so the started program inherits none.
bool StartDetached(const std::vector<std::string>& arguments,
                   const std::vector<std::string>& extraEnvironment) {
    if (arguments.empty())
        return false;
    const std::string program = FindProgram(arguments.front());
    if (program.empty())
        return false;
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** entry = environ; *entry != nullptr; ++entry)
        envp.push_back(*entry);
    for (const auto& entry : extraEnvironment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            execve(program.c_str(), argv.data(), envp.data());
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

namespace {

class LinuxUpdaterPlatform final : public UpdaterPlatform {
public:
    void OpenWebPage(const std::u16string& address) const override {
        StartDetached({"xdg-open", Utf16ToUtf8(address)});
    }

    bool StartProgram(const std::vector<std::u16string>& arguments,
                      bool waitForThisProcess) const override {
        std::vector<std::string> utf8;
        for (const auto& argument : arguments)
            utf8.push_back(Utf16ToUtf8(argument));
        std::vector<std::string> environment;
        if (waitForThisProcess)
            environment.push_back(std::string(kWaitForProcessVariable) + "=" +
                                  std::to_string(getpid()));
        return StartDetached(utf8, environment);
    }

    // Online when a network interface other than loopback is up and has an address.
    bool IsOnline() const override {
        ifaddrs* interfaces = nullptr;
        if (getifaddrs(&interfaces) != 0)
            return false;
        bool online = false;
        for (const ifaddrs* i = interfaces; i != nullptr && !online; i = i->ifa_next) {
            if (i->ifa_addr == nullptr || (i->ifa_flags & IFF_UP) == 0 ||
                (i->ifa_flags & IFF_LOOPBACK) != 0) {
                continue;
            }
            const int family = i->ifa_addr->sa_family;
            online = family == AF_INET || family == AF_INET6;
        }
        freeifaddrs(interfaces);
        return online;
    }

    std::shared_ptr<void> TryLockFile(const std::u16string& path) const override {
        const int fd = open(Utf16ToUtf8(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return nullptr;
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            return nullptr;
        }
        // Closing the descriptor releases the lock.
        struct Lock {
            explicit Lock(int descriptor) : fd(descriptor) {}
            Lock(const Lock&) = delete;
            Lock& operator=(const Lock&) = delete;
            ~Lock() { close(fd); }
            int fd;
        };
        return std::make_shared<Lock>(fd);
    }

    bool SetFileTime(const std::u16string& path, TDateTime moment) const override {
        const CalendarDate date = DecodeDate(moment);
        const double fraction = std::fabs(moment - std::trunc(moment));
        const auto secondsOfDay = static_cast<int>(fraction * 86400.0 + 0.5);
        struct tm local {};
        local.tm_year = date.year - 1900;
        local.tm_mon = date.month - 1;
        local.tm_mday = date.day;
        local.tm_hour = secondsOfDay / 3600;
        local.tm_min = secondsOfDay / 60 % 60;
        local.tm_sec = secondsOfDay % 60;
        local.tm_isdst = -1;
        time_t when = mktime(&local);
        if (when == static_cast<time_t>(-1))
            return false;
        when -= when % 2;  // file times travel as DOS date-times: exact to two seconds
        const timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
        return utimensat(AT_FDCWD, Utf16ToUtf8(path).c_str(), times, 0) == 0;
    }
};

}  // namespace
}  // namespace linux_impl

const UpdaterPlatform& SystemUpdaterPlatform() {
    static const linux_impl::LinuxUpdaterPlatform platform;
    return platform;
}

}  // namespace quendra
