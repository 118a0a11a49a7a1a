// The simulated ASPI library, loaded by its path, with other bus contents chosen through
// QUENDRA_TEST_ASPI_BUS in the test's environment: a burner without a disc at 1:0:0 and an old
// CD-ROM drive at 1:1:0 (letter F), on two adapters, every request completing on the library's
// thread.

#include <gtest/gtest.h>

#include "drive/linux/LinuxDrivePlatform.h"
#include "tests/drive/DriveRig.h"

namespace {

using namespace quendra;

TEST(AspiBusContents, ConfiguredDrivesAnswerThroughPendingRequests) {
    DriveRig rig;
    rig.platform->UseAspiOf(linux_impl::MakeLinuxDrivePlatform());
    ASSERT_TRUE(rig.drives().InitializeASPI(true, TEST_ASPI_LIBRARY, ""));
    ASSERT_EQ(rig.drives().DeviceCount(), 2);
    EXPECT_EQ(rig.drives().GetDeviceName(0), "1:0:0,?: ACME     DVDRAM XR-22     1.02 ");
    EXPECT_EQ(rig.drives().GetDeviceName(1), "1:1:0,F: ACME     CD-ROM CR-52     0.9  ");

    ASSERT_TRUE(rig.drives().SelectDevice(0));
    rig.drives().ErrorNumber();
    EXPECT_FALSE(rig.drives().TestUnitReady());
    EXPECT_EQ(rig.drives().ErrorNumber(), 14848u);
    EXPECT_TRUE(rig.drives().DeviceCan(12));  // no disc: every feature accepted

    ASSERT_TRUE(rig.drives().SelectDevice(1));
    EXPECT_TRUE(rig.drives().DeviceCan(1));
    EXPECT_FALSE(rig.drives().DeviceCan(6));
    EXPECT_EQ(rig.drives().DeviceMaxReadSpeed(), 7800);
}

}  // namespace
