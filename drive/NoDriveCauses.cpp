#include "drive/NoDriveCauses.h"

#include <system_error>

namespace quendra {

namespace {

constexpr std::string_view kDriverName = "sr_mod";

bool Is(std::uint32_t error, std::errc code) {
    return error == static_cast<std::uint32_t>(code);
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

NoDriveFinding PermissionFinding(const OpticalNode& node) {
    const std::string seen =
        node.path + " exists, but this user may not open it (it belongs to group " + node.group;
    if (node.group == "root") {
        return {NoDriveCause::Permission, seen + ")",
                "Run it as root (sudo), or have udev give " + node.path +
                    " a group such as cdrom and join that group"};
    }
    if (node.groupOfThisProcess) {
        return {NoDriveCause::Permission, seen + ", which this session has)",
                "Give the group read access to " + node.path + " (ls -l " + node.path +
                    "; getfacl " + node.path + ")"};
    }
    return {
        NoDriveCause::Permission, seen + ")",
        "Join the group: sudo usermod -aG " + node.group + " \"$USER\", then log out and in again"};
}

NoDriveFinding NodeFinding(const OpticalNode& node) {
    if (Is(node.openError, std::errc::permission_denied) ||
        Is(node.openError, std::errc::operation_not_permitted)) {
        return PermissionFinding(node);
    }
    if (Is(node.openError, std::errc::device_or_resource_busy)) {
        return {NoDriveCause::Busy, node.path + " is in use by another program",
                "Close the program that holds it (fuser -v " + node.path +
                    " names it), then try again"};
    }
    if (node.openError != 0) {
        const std::string reason =
            std::generic_category().message(static_cast<int>(node.openError));
        return {NoDriveCause::CannotOpen, node.path + " cannot be opened: " + reason,
                "Look for the drive's errors in the kernel log (sudo dmesg | grep -i sr), and "
                "check its cable or USB connection"};
    }
    return {NoDriveCause::Unknown, node.path + " opens, yet no drive was listed",
            "Compare with the output of sudo quendra-probe and report both"};
}

NoDriveFinding ContainerFinding(const DriveAccessFacts& facts) {
    std::string seen = "running inside a " + facts.container + " container or sandbox";
    seen += facts.kernelDrives.empty() ? ", which shows no optical drive"
                                       : " that was given no optical drive (the kernel lists " +
                                             Joined(facts.kernelDrives) + ")";
    const std::string node =
        facts.kernelDrives.empty() ? "/dev/sr0" : "/dev/" + facts.kernelDrives.front();
    return {NoDriveCause::Container, seen,
            "Start it with the drive: --device " + node +
                " (docker, podman), or run quendra-probe outside it"};
}

}  // namespace

std::vector<NoDriveFinding> DiagnoseNoDrive(const DriveAccessFacts& facts) {
    if (!facts.nodes.empty()) {
        std::vector<NoDriveFinding> findings;
        for (const OpticalNode& node : facts.nodes)
            findings.push_back(NodeFinding(node));
        return findings;
    }
    if (!facts.kernelDrives.empty()) {
        if (!facts.container.empty())
            return {ContainerFinding(facts)};
        const std::string& name = facts.kernelDrives.front();
        return {{NoDriveCause::NodeMissing,
                 "the kernel lists the optical drive " + Joined(facts.kernelDrives) +
                     ", but /dev/" + name + " does not exist",
                 "Let udev make the node: sudo udevadm trigger --subsystem-match=block"}};
    }
    if (facts.scsiOpticalDevices > 0 && !facts.opticalDriverLoaded) {
        return {{NoDriveCause::DriverNotLoaded,
                 "the SCSI bus shows " + std::to_string(facts.scsiOpticalDevices) +
                     " optical drive(s), but the CD/DVD driver " + std::string(kDriverName) +
                     " is not loaded",
                 "Load it: sudo modprobe " + std::string(kDriverName)}};
    }
    if (!facts.container.empty())
        return {ContainerFinding(facts)};
    if (!facts.opticalDriverLoaded) {
        return {{NoDriveCause::NoDrive,
                 "no optical drive is attached, and the CD/DVD driver " + std::string(kDriverName) +
                     " is not loaded",
                 "Attach a drive; if one is attached, load the driver: sudo modprobe " +
                     std::string(kDriverName)}};
    }
    return {{NoDriveCause::NoDrive, "no optical drive is attached to this machine",
             "Attach one (a USB drive shows up a few seconds after it is plugged in), then run "
             "quendra-probe again"}};
}

std::string_view CauseName(NoDriveCause cause) {
    switch (cause) {
        case NoDriveCause::Permission:
            return "permission";
        case NoDriveCause::Busy:
            return "busy";
        case NoDriveCause::CannotOpen:
            return "cannot-open";
        case NoDriveCause::NodeMissing:
            return "node-missing";
        case NoDriveCause::DriverNotLoaded:
            return "driver-not-loaded";
        case NoDriveCause::Container:
            return "container";
        case NoDriveCause::NoDrive:
            return "no-drive";
        case NoDriveCause::Unknown:
            break;
    }
    return "unknown";
}

}  // namespace quendra
