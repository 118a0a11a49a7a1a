#include "cli/DriveFacts.h"

#include "report/Report.h"
#include "util/ProgramFiles.h"
#include "util/TextRules.h"
#include "util/TextUtils.h"

namespace quendra {

DriveListing ListDrives(TDriveComponent& drives) {
    DriveListing listing;
    if (drives.InitializeASPI(false, "", ""))
        listing.route = drives.Device.UsingSPTI ? DriveRoute::PassThrough : DriveRoute::Aspi;
    for (std::uint16_t i = 0; i < drives.DeviceCount(); ++i) {
        const auto index = static_cast<std::uint8_t>(i);
        listing.drives.push_back({index, drives.Device.Devices[i], drives.GetDeviceName(index)});
    }
    if (listing.drives.empty())
        listing.whyNone = drives.ExplainNoDrive();
    return listing;
}

DriveAnswers AskDrive(TDriveComponent& drives, std::uint8_t index) {
    DriveAnswers answers;
    answers.inquiryAnswered = drives.SelectDevice(index);
    for (const DriveCapability& capability : DriveCapabilities())
        answers.capabilities.emplace_back(capability, drives.DeviceCan(capability.id));
    answers.maxReadSpeed = drives.DeviceMaxReadSpeed();
    answers.maxWriteSpeed = drives.DeviceMaxWriteSpeed();
    answers.bufferSize = drives.DeviceBufferSize();
    answers.burner = drives.DeviceIsBurner();
    answers.unitReady = drives.TestUnitReady();
    answers.error = drives.ErrorString();
    return answers;
}

DriveReport ReportDrive(TDriveComponent& drives, std::uint8_t index, ReportFields& fields) {
    DriveReport report;
    drives.SelectDevice(index);
    report.lines = SplitLines(BuildReport(fields, drives, index));
    report.details = drives.ReadDetails();
    return report;
}

ReportFields FieldsOfThisProgram() {
    ReportFields fields;
    fields.FProgramVersion = GetModuleVersionString(ProgramFilePath());
    return fields;
}

ProbeFacts GatherProbeFacts(TDriveComponent& drives) {
    ProbeFacts facts;
    facts.system = GatherSystemFacts();
    facts.listing = ListDrives(drives);
    for (const ListedDrive& drive : facts.listing.drives)
        facts.answers.push_back(AskDrive(drives, drive.index));
    ReportFields fields = FieldsOfThisProgram();
    for (const ListedDrive& drive : facts.listing.drives)
        facts.reports.push_back(ReportDrive(drives, drive.index, fields));
    return facts;
}

}  // namespace quendra
