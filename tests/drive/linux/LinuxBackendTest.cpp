#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <thread>

#include "drive/DriveComponent.h"
#include "drive/linux/AspiLibraryNames.h"
#include "drive/linux/DeviceNodes.h"
#include "drive/linux/LinuxDrivePlatform.h"
#include "drive/linux/SgIo.h"

namespace {

using namespace quendra;

TEST(SgIo, HeaderCarriesDirectionBuffersAndMilliseconds) {
    std::uint8_t cdb[10] = {0x5A};
    std::uint8_t data[128];
    std::uint8_t sense[24];
    struct Case {
        DataDirection direction;
        int sgDirection;
        unsigned length;
    };
    for (const Case c : {Case{DataDirection::In, SG_DXFER_FROM_DEV, 128},
                         Case{DataDirection::Out, SG_DXFER_TO_DEV, 128},
                         Case{DataDirection::None, SG_DXFER_NONE, 0}}) {
        ScsiRequest request{cdb, c.direction, data, sense, std::chrono::seconds(60)};
        const sg_io_hdr header = linux_impl::MakeSgIoHeader(request);
        EXPECT_EQ(header.interface_id, 'S');
        EXPECT_EQ(header.dxfer_direction, c.sgDirection);
        EXPECT_EQ(header.dxfer_len, c.length);
        EXPECT_EQ(header.dxferp, c.length == 0 ? nullptr : data);
        EXPECT_EQ(header.cmd_len, 10);
        EXPECT_EQ(header.cmdp, cdb);
        EXPECT_EQ(header.mx_sb_len, 24);
        EXPECT_EQ(header.sbp, sense);
        EXPECT_EQ(header.timeout, 60000u);
    }
}

TEST(SgIo, SuccessNeedsAQuietHostAndDriver) {
    struct Case {
        int result;
        int error;
        unsigned short host;
        unsigned short driver;
        unsigned char status;
        bool delivered;
        std::uint32_t expectedError;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0x00, true, 0},        // GOOD
        {0, 0, 0, 0x08, 0x02, true, 0},     // CHECK CONDITION with sense
        {0, 0, 0, 0, 0x08, true, 0},        // BUSY
        {0, 0, 0x01, 0, 0x00, false, EIO},  // no connect: unplugged
        {0, 0, 0x03, 0, 0x00, false, EIO},  // time-out
        {0, 0, 0, 0x06, 0x00, false, EIO},  // driver time-out
        {0, 0, 0, 0x28, 0x02, false, EIO},  // sense flag with a suggestion
        {-1, ENOTTY, 0, 0, 0, false, ENOTTY}, {-1, 0, 0, 0, 0, false, EIO},
    };
    for (const Case& c : cases) {
        sg_io_hdr header{};
        header.host_status = c.host;
        header.driver_status = c.driver;
        header.status = c.status;
        const ScsiOutcome outcome = linux_impl::InterpretSgIo(c.result, c.error, header);
        EXPECT_EQ(outcome.delivered, c.delivered) << c.host << " " << c.driver;
        EXPECT_EQ(outcome.error, c.expectedError);
        if (c.delivered) {
            EXPECT_EQ(outcome.scsiStatus, c.status);
        }
    }
}

TEST(LinuxDrives, AddressesLettersAndLibraryNames) {
    // dev_id = host << 24 | channel << 16 | lun << 8 | id
    const ScsiAddress slave = linux_impl::DecodeScsiAddress(0, 0x00000001);
    EXPECT_EQ(slave.port, 0);
    EXPECT_EQ(slave.target, 1);
    EXPECT_EQ(slave.lun, 0);
    const ScsiAddress virtio = linux_impl::DecodeScsiAddress(8, 0x08030402);
    EXPECT_EQ(virtio.port, 8);
    EXPECT_EQ(virtio.path, 3);
    EXPECT_EQ(virtio.lun, 4);
    EXPECT_EQ(virtio.target, 2);

    EXPECT_EQ(linux_impl::OpticalDeviceNode('C'), "");
    EXPECT_EQ(linux_impl::OpticalDeviceNode('D'), "/dev/sr0");
    EXPECT_EQ(linux_impl::OpticalDeviceNode('Z'), "/dev/sr22");
    EXPECT_EQ(linux_impl::OpticalDeviceNode('B'), "");
    EXPECT_EQ(linux_impl::OpticalDeviceNode('d'), "");

    using Names = std::vector<std::string>;
    EXPECT_EQ(linux_impl::AspiLibraryCandidates("WNASPI32.DLL"),
              (Names{"WNASPI32.DLL", "libwnaspi32.so"}));
    EXPECT_EQ(linux_impl::AspiLibraryCandidates("/opt/x/My.Dll"),
              (Names{"/opt/x/My.Dll", "/opt/x/libmy.so"}));
    EXPECT_EQ(linux_impl::AspiLibraryCandidates("libwnaspi32.so"), (Names{"libwnaspi32.so"}));
    EXPECT_EQ(linux_impl::AspiLibraryCandidates(".dll"), (Names{".dll"}));
}

TEST(LinuxDrives, PlatformOfThisMachine) {
    const auto platform = linux_impl::MakeLinuxDrivePlatform();
    EXPECT_EQ(platform->DriveType('C'), kDriveFixed);
    EXPECT_EQ(platform->DriveType('A'), kDriveNoRootDir);
    EXPECT_EQ(platform->OpenVolume('C', VolumeAccess::ReadOnly).error,
              static_cast<std::uint32_t>(ENOENT));
    EXPECT_EQ(platform->LoadAspiLibrary("libc.so.6"), std::nullopt);  // no entry points
    EXPECT_EQ(platform->LoadAspiLibrary("libquendra-no-such-aspi.so"), std::nullopt);

    const ScsiOutcome invalid = platform->PassThrough(kInvalidVolume, ScsiRequest{});
    EXPECT_FALSE(invalid.delivered);
    EXPECT_EQ(invalid.error, static_cast<std::uint32_t>(EBADF));

    const char* saved = std::getenv("TMPDIR");
    const std::string restore = saved != nullptr ? saved : "";
    ::setenv("TMPDIR", "/var/tmp/", 1);
    EXPECT_EQ(platform->TemporaryFolder(), "/var/tmp");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(platform->TemporaryFolder(), "/tmp");
    if (saved != nullptr)
        ::setenv("TMPDIR", restore.c_str(), 1);
}

TEST(LinuxDrives, CompletionEventIsAnEventfd) {
    const auto platform = linux_impl::MakeLinuxDrivePlatform();
    const CompletionEvent event = platform->CreateCompletionEvent();
    ASSERT_NE(event, kNoEvent);
    platform->ResetCompletionEvent(event);  // not signalled: returns at once
    std::atomic<bool> signalled{false};
    std::thread signaller([event, &signalled] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        signalled = true;
        const std::uint64_t one = 1;
        EXPECT_EQ(::write(static_cast<int>(event), &one, sizeof one), 8);
    });
    platform->WaitForCompletion(event);
    EXPECT_TRUE(signalled);  // the wait returned only once the event was written
    signaller.join();
    platform->ResetCompletionEvent(event);
    platform->CloseCompletionEvent(event);
}

TEST(LinuxDrives, RealDriveWhenThereIsOne) {
    const auto platform = linux_impl::MakeLinuxDrivePlatform();
    const OpenResult opened = platform->OpenVolume('D', VolumeAccess::ReadOnly);
    if (platform->DriveType('D') != kDriveCdrom || opened.handle == kInvalidVolume) {
        GTEST_SKIP() << "no usable optical drive at /dev/sr0";
    }
    platform->CloseVolume(opened.handle);
    TDriveComponent drives;
    ASSERT_TRUE(drives.InitializeASPI(false, "", ""));
    ASSERT_GE(drives.DeviceCount(), 1);
    EXPECT_TRUE(drives.Device.UsingSPTI);
    EXPECT_TRUE(drives.SelectDevice(0));
}

}  // namespace
