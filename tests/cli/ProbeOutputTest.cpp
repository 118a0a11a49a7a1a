#include <gtest/gtest.h>

#include <sstream>

#include "cli/ProbeDrives.h"
#include "tests/drive/DriveRig.h"

namespace {

using namespace quendra;

TEST(ProbeOutput, NoDrive) {
    DriveRig rig;
    std::ostringstream out;
    PrintDrives(rig.drives(), out);
    EXPECT_EQ(out.str(),
              "Drive route                 none (no optical drive on this machine and no ASPI "
              "library)\n"
              "Drives found                0\n");
}

TEST(ProbeOutput, ListAndCapabilitiesOfEachDrive) {
    DriveRig rig;
    DriveTable empty = drives::DvdBurner();
    empty.notReady = kMediumNotPresent;
    empty.product = "DVDRAM XR-22\xAE";  // code-page byte: the registered sign
    rig.platform->AddDrive('D', MakeDrive(drives::DvdReader()));
    rig.platform->AddDrive('E', MakeDrive(empty), Address(1));
    std::ostringstream out;
    PrintDrives(rig.drives(), out);
    const std::string text = out.str();

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
}

}  // namespace
