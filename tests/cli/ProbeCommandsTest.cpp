#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/DriveFacts.h"
#include "report/Report.h"
#include "sysinfo/SysInfo.h"
#include "tests/drive/DriveRig.h"

namespace {

using namespace quendra;
using Tags = std::vector<std::string>;

// "12", "5A AA", "46 002A", "4A 10", "00": the operation code with what it asks for.
Tags TagsOf(const SimulatedDrive& drive) {
    Tags tags;
    for (const auto& cdb : drive.Commands()) {
        char tag[16];
        if (cdb[0] == 0x46)
            std::snprintf(tag, sizeof tag, "46 %02X%02X", cdb[2], cdb[3]);
        else if (cdb[0] == 0x5A)
            std::snprintf(tag, sizeof tag, "5A %02X", cdb[2]);
        else if (cdb[0] == 0x4A)
            std::snprintf(tag, sizeof tag, "4A %02X", cdb[4]);
        else
            std::snprintf(tag, sizeof tag, "%02X", cdb[0]);
        tags.push_back(tag);
    }
    return tags;
}

Tags operator+(Tags a, const Tags& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Tags kInquiry{"12"};
const Tags kProbe{"5A AA",   "5A 2A",   "5A B0",   "46 002A", "46 003B",
                  "46 002F", "46 0040", "46 0041", "46 0050", "46 0051"};
const Tags kSelection = kInquiry + kProbe;
// Two speed lines run the probe again; the last line asks TEST UNIT READY.
const Tags kReport = kProbe + kProbe + Tags{"00"};
const Tags kDetails{"46 0000", "46 0104", "46 010C", "4A 10"};

class ProbeCommands : public ::testing::Test {
protected:
    void SetUp() override {
        CaptureStartupSystemInfo();
        rig.platform->AddDrive('D', burner, Address(1));
        rig.platform->AddDrive('E', reader, Address(1, 1));
    }
    DriveRig rig;
    std::shared_ptr<SimulatedDrive> burner = MakeDrive(drives::DvdBurner());
    std::shared_ptr<SimulatedDrive> reader = MakeDrive(drives::DvdReader());
};

// The window's path: discovery, a selection, and the report of the selected drive. The
// drives now answer more features; what the window and the report send stays the same.
TEST_F(ProbeCommands, WindowSelectionAndReportKeepTheirCommands) {
    rig.drives().InitializeASPI(false, "", "");
    rig.drives().SelectDevice(0);
    ReportFields fields;
    BuildReport(fields, rig.drives(), 0);
    EXPECT_EQ(TagsOf(*burner), kInquiry + kSelection + kReport);
    EXPECT_EQ(TagsOf(*reader), kInquiry);
    EXPECT_EQ(burner->Rejected(), 0u);
}

// quendra-probe asks each drive what the window asks, and its details only after the
// drive's report.
TEST_F(ProbeCommands, DetailsComeAfterEachReport) {
    GatherProbeFacts(rig.drives());
    const Tags answers = kSelection + kProbe + kProbe + Tags{"00"};
    for (const auto& drive : {burner, reader}) {
        EXPECT_EQ(TagsOf(*drive), kInquiry + answers + kSelection + kReport + kDetails);
        EXPECT_EQ(drive->Rejected(), 0u);
    }
}

}  // namespace
