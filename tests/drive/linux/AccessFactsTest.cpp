#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "drive/linux/AccessFacts.h"

namespace {

using namespace quendra;
namespace fs = std::filesystem;

// A folder standing in for "/": device nodes, sysfs and procfs files as the test writes them.
class FakeRoot : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("quendra-access-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    void Write(const fs::path& relative, std::string_view content = "") {
        fs::create_directories((root_ / relative).parent_path());
        std::ofstream(root_ / relative, std::ios::binary) << content;
    }
    DriveAccessFacts Read() const { return linux_impl::ReadDriveAccessFacts(root_); }

    fs::path root_;
};

TEST_F(FakeRoot, NodesSysfsDriverAndContainer) {
    Write("dev/sr10");
    Write("dev/sr0");
    Write("dev/sr1x");  // not a drive node
    Write("dev/sda");
    fs::create_symlink(root_ / "dev/gone", root_ / "dev/sr2");  // fails to open
    Write("sys/class/block/sr0/dev", "11:0\n");
    Write("sys/class/block/vda/dev", "254:0\n");
    Write("sys/bus/scsi/devices/0:0:0:0/type", "5\n");
    Write("sys/bus/scsi/devices/1:0:0:0/type", "0\n");
    Write("sys/bus/scsi/devices/2:0:1:0/type", "5\n");
    fs::create_directories(root_ / "sys/module/sr_mod");
    Write("proc/1/environ", std::string("PATH=/bin\0container=lxc\0HOME=/", 31));

    const DriveAccessFacts facts = Read();
    ASSERT_EQ(facts.nodes.size(), 3u);
    EXPECT_EQ(facts.nodes[0].path, (root_ / "dev/sr0").string());
    EXPECT_EQ(facts.nodes[0].openError, 0u);
    EXPECT_FALSE(facts.nodes[0].group.empty());
    EXPECT_EQ(facts.nodes[1].path, (root_ / "dev/sr2").string());
    EXPECT_EQ(facts.nodes[1].openError, static_cast<std::uint32_t>(ENOENT));
    EXPECT_EQ(facts.nodes[2].path, (root_ / "dev/sr10").string());
    EXPECT_EQ(facts.kernelDrives, (std::vector<std::string>{"sr0"}));
    EXPECT_EQ(facts.scsiOpticalDevices, 2u);
    EXPECT_TRUE(facts.opticalDriverLoaded);
    EXPECT_EQ(facts.container, "lxc");
}

TEST_F(FakeRoot, ContainerMarks) {
    EXPECT_EQ(Read().container, "");
    Write("proc/1/cgroup", "0::/\n1:name=systemd:/kubepods/besteffort/pod1\n");
    EXPECT_EQ(Read().container, "kubepods");
    Write("run/.containerenv");
    EXPECT_EQ(Read().container, "podman");
    Write(".dockerenv");
    EXPECT_EQ(Read().container, "docker");
}

TEST_F(FakeRoot, NothingThere) {
    const DriveAccessFacts facts = Read();
    EXPECT_TRUE(facts.nodes.empty());
    EXPECT_TRUE(facts.kernelDrives.empty());
    EXPECT_EQ(facts.scsiOpticalDevices, 0u);
    EXPECT_FALSE(facts.opticalDriverLoaded);
}

}  // namespace
