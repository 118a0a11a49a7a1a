#include <gtest/gtest.h>

#include <cerrno>

#include "tests/drive/DriveRig.h"

namespace {

using namespace quendra;

OpticalNode Node(std::string path, std::string group, std::uint32_t error,
                 bool groupOfThisProcess = false) {
    return {std::move(path), std::move(group), groupOfThisProcess, error};
}

// Each cause as the component explains it from the facts its platform shows, after a
// discovery that found nothing.
TEST(NoDriveCauses, EachCauseWithItsFix) {
    struct Case {
        const char* what;
        DriveAccessFacts facts;
        NoDriveCause cause;
        std::string text;  // a part of the finding's text
        std::string fix;   // a part of its fix
    };
    const Case cases[] = {
        {"permission",
         {{Node("/dev/sr0", "cdrom", EACCES)}, {"sr0"}, 1, true, ""},
         NoDriveCause::Permission,
         "/dev/sr0 exists, but this user may not open it (it belongs to group cdrom)",
         "sudo usermod -aG cdrom \"$USER\", then log out and in again"},
        {"permission, already in the group",
         {{Node("/dev/sr0", "cdrom", EACCES, true)}, {"sr0"}, 1, true, ""},
         NoDriveCause::Permission,
         "group cdrom, which this session has",
         "Give the group read access to /dev/sr0"},
        {"permission, owned by root",
         {{Node("/dev/sr0", "root", EPERM)}, {"sr0"}, 1, true, ""},
         NoDriveCause::Permission,
         "belongs to group root",
         "Run it as root (sudo)"},
        {"busy",
         {{Node("/dev/sr1", "cdrom", EBUSY)}, {"sr1"}, 1, true, ""},
         NoDriveCause::Busy,
         "/dev/sr1 is in use by another program",
         "fuser -v /dev/sr1"},
        {"another open error",
         {{Node("/dev/sr0", "cdrom", ENXIO)}, {}, 0, true, ""},
         NoDriveCause::CannotOpen,
         "/dev/sr0 cannot be opened: No such device or address",
         "dmesg"},
        {"node missing",
         {{}, {"sr0"}, 1, true, ""},
         NoDriveCause::NodeMissing,
         "the kernel lists the optical drive sr0, but /dev/sr0 does not exist",
         "sudo udevadm trigger"},
        {"container given no drive",
         {{}, {"sr0"}, 1, true, "docker"},
         NoDriveCause::Container,
         "running inside a docker container or sandbox that was given no optical drive",
         "--device /dev/sr0"},
        {"container showing nothing",
         {{}, {}, 0, false, "podman"},
         NoDriveCause::Container,
         "podman container or sandbox, which shows no optical drive",
         "--device /dev/sr0"},
        {"driver not loaded",
         {{}, {}, 1, false, ""},
         NoDriveCause::DriverNotLoaded,
         "the SCSI bus shows 1 optical drive(s), but the CD/DVD driver sr_mod is not loaded",
         "sudo modprobe sr_mod"},
        {"no drive, no driver",
         {{}, {}, 0, false, ""},
         NoDriveCause::NoDrive,
         "no optical drive is attached, and the CD/DVD driver sr_mod is not loaded",
         "sudo modprobe sr_mod"},
        {"no drive",
         {{}, {}, 0, true, ""},
         NoDriveCause::NoDrive,
         "no optical drive is attached to this machine",
         "Attach one"},
        {"nodes open, yet nothing listed",
         {{Node("/dev/sr40", "cdrom", 0)}, {"sr40"}, 1, true, ""},
         NoDriveCause::Unknown,
         "/dev/sr40 opens, yet no drive was listed",
         "sudo quendra-probe"},
    };
    for (const Case& c : cases) {
        DriveRig rig;
        rig.platform->accessFacts = c.facts;
        rig.drives().InitializeASPI(false, "", "");
        ASSERT_EQ(rig.drives().DeviceCount(), 0);
        const std::vector<NoDriveFinding> findings = rig.drives().ExplainNoDrive();
        ASSERT_EQ(findings.size(), 1u) << c.what;
        EXPECT_EQ(findings[0].cause, c.cause) << c.what;
        EXPECT_NE(findings[0].text.find(c.text), std::string::npos) << findings[0].text;
        EXPECT_NE(findings[0].fix.find(c.fix), std::string::npos) << findings[0].fix;
        EXPECT_EQ(findings[0].text.find('\n'), std::string::npos) << c.what;
        EXPECT_EQ(findings[0].fix.find('\n'), std::string::npos) << c.what;
    }
}

TEST(NoDriveCauses, OneFindingPerNode) {
    DriveAccessFacts facts;
    facts.nodes = {Node("/dev/sr0", "cdrom", EACCES), Node("/dev/sr1", "cdrom", EBUSY)};
    const std::vector<NoDriveFinding> findings = DiagnoseNoDrive(facts);
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].cause, NoDriveCause::Permission);
    EXPECT_EQ(findings[1].cause, NoDriveCause::Busy);
    EXPECT_EQ(CauseName(findings[1].cause), "busy");
    EXPECT_EQ(CauseName(NoDriveCause::DriverNotLoaded), "driver-not-loaded");
}

}  // namespace
