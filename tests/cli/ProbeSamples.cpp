#include "tests/cli/ProbeSamples.h"

#include <cerrno>

#include "sysinfo/SysInfo.h"
#include "tests/drive/DriveRig.h"

namespace quendra {

ProbeFacts OddDrivesSample() {
    CaptureStartupSystemInfo();
    DriveRig rig;
    rig.platform->AddDrive('D', MakeDrive(drives::DvdBurner()), Address(1));

    DriveTable odd = drives::DvdBurner();
    odd.vendor = std::string("\x81\xFF\x00\"\\", 5);  // undefined, y-diaeresis, NUL, quote
    odd.product = "\x1B[31m\x7F\x9D\xAE\xC3\x28";     // escape, DEL, invalid UTF-8 pair
    odd.revision = "\xE2\x82";                        // a cut UTF-8 sequence
    auto oddDrive = MakeDrive(odd);
    oddDrive->AnswerWith({0x46, 0x02, 0x00, 0x00}, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF,
                                                    0x00, 0x00, 0x03, 0x07, 0xFF, 0xFF, 0x01});
    oddDrive->AnswerWith({0x46, 0x02, 0x01, 0x04},
                         {0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0xFF, 0xFF, 0x01, 0x04, 0x07, 0x40,
                          0x01, 0x00, 0x00, 0x00});
    oddDrive->AnswerWith(
        {0x46, 0x02, 0x01, 0x0C},
        {0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00, 0x11, 0x01, 0x0C, 0x03, 0x10, 0xFF, 0xFE,
         0x22, 0x5C, 0x00, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30, 0x31});
    oddDrive->AnswerWith({0x4A}, {0x00, 0xFF, 0x04, 0x10, 0x00, 0x02});
    rig.platform->AddDrive('E', oddDrive, Address(1, 1));

    // Opens, but answers nothing: listed all the same.
    auto gone = MakeDrive(drives::DvdReader());
    gone->FailEverything();
    rig.platform->AddDrive('F', gone, Address(1, 2));
    return GatherProbeFacts(rig.drives());
}

ProbeFacts NoDriveSample() {
    CaptureStartupSystemInfo();
    DriveRig rig;
    rig.platform->accessFacts.nodes = {{"/dev/sr0", "cd\xFF\xFEgroup", false, EACCES},
                                       {"/dev/sr1", "cdrom", true, EBUSY}};
    return GatherProbeFacts(rig.drives());
}

std::vector<std::pair<std::string, ProbeFacts>> ProbeSamples() {
    return {{"odd-drives.json", OddDrivesSample()}, {"no-drive.json", NoDriveSample()}};
}

}  // namespace quendra
