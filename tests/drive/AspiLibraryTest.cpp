// The simulated ASPI library through the real dlopen route, with its default bus. The library
// is found through LD_LIBRARY_PATH, which the test's environment points at it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "drive/linux/LinuxDrivePlatform.h"
#include "tests/drive/DriveRig.h"
#include "tests/fakes/TempFolder.h"

namespace {

using namespace quendra;

// Drive letters from the fake (none), ASPI library and events from this machine.
struct AspiLibrary : ::testing::Test {
    void SetUp() override { rig.platform->UseAspiOf(linux_impl::MakeLinuxDrivePlatform()); }
    DriveRig rig;
};

TEST_F(AspiLibrary, DefaultBusHoldsAReaderThenABurner) {
    ASSERT_TRUE(rig.drives().InitializeASPI(true, "", ""));
    EXPECT_EQ(rig.platform->loadRequests, std::vector<std::string>{"WNASPI32.DLL"});
    EXPECT_FALSE(rig.device().UsingSPTI);
    ASSERT_EQ(rig.drives().DeviceCount(), 2);
    EXPECT_EQ(rig.drives().GetDeviceName(0), "0:0:0,D: ACME     DVD-ROM DR-16    2.10 ");
    EXPECT_EQ(rig.drives().GetDeviceName(1), "0:1:0,E: ACME     DVDRAM XR-22     1.02 ");
    EXPECT_EQ(rig.platform->eventsCreated, rig.platform->eventsClosed);
}

TEST_F(AspiLibrary, ProbeOverRequestsThatCompleteOnAnotherThread) {
    const TempFolder folder("quendra-aspi-library");
    rig.platform->temporaryFolder = folder.path().string();
    ASSERT_TRUE(rig.drives().InitializeASPI(false, "", ""));

    ASSERT_TRUE(rig.drives().SelectDevice(1));
    EXPECT_TRUE(rig.drives().DeviceIsBurner());
    EXPECT_TRUE(rig.drives().DeviceCan(26));
    EXPECT_TRUE(rig.drives().DeviceCan(42));
    ASSERT_TRUE(rig.drives().DeviceCan(72));
    EXPECT_EQ(rig.drives().DeviceMaxReadSpeed(), 6800);
    EXPECT_TRUE(rig.drives().TestUnitReady());
    ASSERT_TRUE(rig.drives().DeviceCan(73));

    std::ifstream in(folder / "drivetrace.elg", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 1u + 10 + 1);  // the probe of the speed read, then the test
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_NE(lines[i].find(" - 0:1:0 <01> "), std::string::npos) << lines[i];
    }

    ASSERT_TRUE(rig.drives().SelectDevice(0));
    EXPECT_FALSE(rig.drives().DeviceIsBurner());
    EXPECT_EQ(rig.drives().ErrorString(), "Hardware Error 9216");  // the reader has no page 0x30
    EXPECT_EQ(rig.platform->eventsCreated, rig.platform->eventsClosed);
}

TEST_F(AspiLibrary, LibraryWithoutTheEntryPoints) {
    EXPECT_FALSE(rig.drives().InitializeASPI(true, "libc.so.6", ""));
    EXPECT_FALSE(rig.drives().InitializeASPI(true, "NOSUCHASPI.DLL", ""));
    EXPECT_EQ(rig.drives().DeviceCount(), 0);
}

}  // namespace
