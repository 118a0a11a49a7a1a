#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

#include "cli/DriveFacts.h"
#include "cli/ProbeText.h"
#include "sysinfo/SysInfo.h"
#include "tests/drive/DriveRig.h"

namespace {

using namespace quendra;

// The list and each drive's answers, as quendra-probe prints them.
std::string DrivesText(TDriveComponent& drives) {
    std::ostringstream out;
    const DriveListing listing = ListDrives(drives);
    PrintDriveListing(listing, out);
    for (const ListedDrive& drive : listing.drives) {
        out << '\n';
        PrintDriveAnswers(drive, AskDrive(drives, drive.index), out);
    }
    return out.str();
}

TEST(ProbeOutput, NoDriveWithItsCause) {
    DriveRig rig;
    rig.platform->accessFacts.nodes = {{"/dev/sr0", "cdrom", false, EACCES}};
    EXPECT_EQ(DrivesText(rig.drives()),
              "Drive route                 none (no drive could be opened and no ASPI library "
              "was found)\n"
              "Drives found                0\n"
              "Cause                       /dev/sr0 exists, but this user may not open it (it "
              "belongs to group cdrom)\n"
              "Fix                         Join the group: sudo usermod -aG cdrom \"$USER\", "
              "then log out and in again\n");
}

TEST(ProbeOutput, ListAndCapabilitiesOfEachDrive) {
    DriveRig rig;
    DriveTable empty = drives::DvdBurner();
    empty.notReady = kMediumNotPresent;
    empty.product = "DVDRAM XR-22\xAE";  // code-page byte: the registered sign
    rig.platform->AddDrive('D', MakeDrive(drives::DvdReader()));
    rig.platform->AddDrive('E', MakeDrive(empty), Address(1));
    const std::string text = DrivesText(rig.drives());

    const auto has = [&](const std::string& line) {
        EXPECT_NE(text.find(line), std::string::npos) << "missing: " << line << "\n" << text;
    };
    has("Drive route                 SCSI pass-through\n");
    has("Drives found                2\n");
    has("  #   Address      Letter  Name\n");
    has("  0   1:0:0        E       \"1:0:0,E: ACME     DVDRAM XR-22\u00AE    1.02 \"\n");
    has("  1   2:0:0        D       \"2:0:0,D: ACME     DVD-ROM DR-16    2.10 \"\n");
    has("Drive 0  \"1:0:0,E: ACME     DVDRAM XR-22\u00AE    1.02 \"\n"
        "  INQUIRY at selection      answered\n"
        "   1  Read_CDR              yes\n");
    has("  26  Write_DVDPLUSR        yes\n");
    has("  42  UnderRunProtection    yes\n"
        "  Max read speed            6800 kB/s\n"
        "  Max write speed           5540 kB/s\n"
        "  Buffer size               0 bytes\n"
        "  Burner                    yes\n"
        "  Unit ready                no\n"
        "  Error                     Hardware Error 14848\n");
    has("Drive 1  \"2:0:0,D: ACME     DVD-ROM DR-16    2.10 \"\n");
    has("  Burner                    no\n"
        "  Unit ready                yes\n");
    EXPECT_EQ(text.find("Cause"), std::string::npos);
}

TEST(ProbeOutput, DetailsAfterTheReport) {
    CaptureStartupSystemInfo();
    DriveTable old = drives::OldCdRom();
    old.notReady = kMediumNotPresent;
    DriveRig rig;
    rig.platform->AddDrive('D', MakeDrive(drives::DvdBurner()), Address(1));
    rig.platform->AddDrive('E', MakeDrive(old), Address(1, 1));
    const DriveListing listing = ListDrives(rig.drives());
    ReportFields fields;

    std::ostringstream burner;
    PrintDriveReport(listing.drives[0], ReportDrive(rig.drives(), 0, fields), burner);
    const std::string text = burner.str();
    EXPECT_TRUE(text.starts_with("\nReport of drive 0\nQuendraVersion=\n")) << text;
    EXPECT_TRUE(
        text.ends_with("TestUnitReady=YES\n"
                       "\n"
                       "Details of drive 0\n"
                       "  Disc present              yes\n"
                       "  Current profile           0x0011  DVD-R Sequential Recording\n"
                       "  Profiles                  0x0012  DVD-RAM\n"
                       "                            0x0011  DVD-R Sequential Recording"
                       "  (current)\n"
                       "                            0x0015  DVD-R Dual Layer Sequential "
                       "Recording\n"
                       "                            0x0014  DVD-RW Sequential Recording\n"
                       "                            0x0013  DVD-RW Restricted Overwrite\n"
                       "                            0x001A  DVD+RW\n"
                       "                            0x001B  DVD+R\n"
                       "                            0x002B  DVD+R Dual Layer\n"
                       "                            0x0010  DVD-ROM\n"
                       "                            0x0009  CD-R\n"
                       "                            0x000A  CD-RW\n"
                       "                            0x0008  CD-ROM\n"
                       "  Microcode upgrade         supported (M5: yes)\n"
                       "  Firmware date             2011-03-08 14:22:07\n"))
        << text;

    std::ostringstream cdrom;
    PrintDriveReport(listing.drives[1], ReportDrive(rig.drives(), 1, fields), cdrom);
    EXPECT_TRUE(
        cdrom.str().ends_with("Details of drive 1\n"
                              "  Disc present              no\n"
                              "  Current profile           not reported\n"
                              "  Profiles                  not reported\n"
                              "  Microcode upgrade         not reported\n"
                              "  Firmware date             not reported\n"))
        << cdrom.str();
}

}  // namespace
