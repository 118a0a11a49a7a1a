#include "drive/linux/AccessFacts.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quendra::linux_impl {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxFileBytes = 64 * 1024;

// N of a name "srN"; nullopt for every other name.
std::optional<unsigned> OpticalNumber(std::string_view name) {
    if (name.size() < 3 || name.size() > 6 || !name.starts_with("sr"))
        return std::nullopt;
    unsigned number = 0;
    for (const char c : name.substr(2)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    return number;
}

// The "srN" names in `folder`, in number order.
std::vector<std::string> OpticalNames(const fs::path& folder) {
    std::vector<std::pair<unsigned, std::string>> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (const std::optional<unsigned> number = OpticalNumber(name))
            found.emplace_back(*number, name);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& entry : found)
        names.push_back(std::move(entry.second));
    return names;
}

// At most the first 64 KiB of a file; "" when it cannot be read.
std::string ReadSmallFile(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string text(kMaxFileBytes, '\0');
    std::size_t filled = 0;
    while (filled < text.size()) {
        const ssize_t got = ::read(fd, text.data() + filled, text.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    ::close(fd);
    text.resize(filled);
    return text;
}

std::string GroupName(gid_t group) {
    std::array<char, 4096> buffer{};
    struct group entry {};
    struct group* found = nullptr;
    if (::getgrgid_r(group, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->gr_name;
    return std::to_string(group);
}

bool GroupOfThisProcess(gid_t group) {
    if (::getegid() == group)
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int filled = ::getgroups(count, groups.data());
    return filled > 0 &&
           std::find(groups.begin(), groups.begin() + filled, group) != groups.begin() + filled;
}

OpticalNode Node(const fs::path& path) {
    OpticalNode node;
    node.path = path.string();
    struct stat status {};
    if (::stat(node.path.c_str(), &status) == 0) {
        node.group = GroupName(status.st_gid);
        node.groupOfThisProcess = GroupOfThisProcess(status.st_gid);
    }
    // Opened as the drive component opens it: without a disc the open must not fail.
    const int fd = ::open(node.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        node.openError = static_cast<std::uint32_t>(errno);
    } else {
        ::close(fd);
    }
    return node;
}

std::size_t ScsiOpticalDevices(const fs::path& devices) {
    std::size_t count = 0;
    std::error_code error;
    for (fs::directory_iterator it(devices, error), end; !error && it != end; it.increment(error)) {
        std::string type = ReadSmallFile(it->path() / "type");
        while (!type.empty() && (type.back() == '\n' || type.back() == ' '))
            type.pop_back();
        if (type == "5")
            ++count;
    }
    return count;
}

// The value of `name` in a NUL-separated environment block.
std::string EnvironmentValue(std::string_view block, std::string_view name) {
    while (!block.empty()) {
        const std::size_t end = std::min(block.find('\0'), block.size());
        const std::string_view entry = block.substr(0, end);
        if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=')
            return std::string(entry.substr(name.size() + 1));
        block.remove_prefix(std::min(end + 1, block.size()));
    }
    return {};
}

// The container or sandbox the marks below `root` show; "" for none.
std::string Container(const fs::path& root) {
    std::error_code error;
    if (fs::exists(root / ".dockerenv", error))
        return "docker";
    if (fs::exists(root / "run/.containerenv", error))
        return "podman";
    if (fs::exists(root / ".flatpak-info", error))
        return "flatpak";
    // Set by systemd-nspawn, LXC, podman and others for the container's first process.
    if (std::string kind = EnvironmentValue(ReadSmallFile(root / "proc/1/environ"), "container");
        !kind.empty()) {
        return kind;
    }
    const std::string cgroups = ReadSmallFile(root / "proc/1/cgroup");
    for (const std::string_view kind : {"docker", "kubepods", "containerd", "libpod", "lxc"}) {
        if (cgroups.find(kind) != std::string::npos)
            return std::string(kind);
    }
    return {};
}

}  // namespace

DriveAccessFacts ReadDriveAccessFacts(const fs::path& root) {
    DriveAccessFacts facts;
    for (const std::string& name : OpticalNames(root / "dev"))
        facts.nodes.push_back(Node(root / "dev" / name));
    facts.kernelDrives = OpticalNames(root / "sys/class/block");
    facts.scsiOpticalDevices = ScsiOpticalDevices(root / "sys/bus/scsi/devices");
    std::error_code error;
    facts.opticalDriverLoaded = fs::exists(root / "sys/module/sr_mod", error);
    facts.container = Container(root);
    return facts;
}

}  // namespace quendra::linux_impl
