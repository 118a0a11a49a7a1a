#include "cli/ProbeReport.h"

#include "lookup/LookupExchange.h"
#include "report/Report.h"
#include "util/ProgramFiles.h"
#include "util/TextRules.h"
#include "util/TextUtils.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

ReportFields FieldsOfThisProgram() {
    ReportFields fields;
    fields.FProgramVersion = GetModuleVersionString(ProgramFilePath());
    return fields;
}

std::u16string ReportOf(TDriveComponent& drives, std::uint8_t index, ReportFields& fields) {
    drives.SelectDevice(index);
    return BuildReport(fields, drives, index);
}

}  // namespace

void PrintReports(TDriveComponent& drives, std::ostream& out) {
    ReportFields fields = FieldsOfThisProgram();
    for (std::uint16_t i = 0; i < drives.DeviceCount(); ++i) {
        out << "\nReport of drive " << i << '\n';
        const auto index = static_cast<std::uint8_t>(i);
        for (const auto& line : SplitLines(ReportOf(drives, index, fields))) {
            out << Utf16ToUtf8(line) << '\n';
        }
    }
}

bool PrintLookup(TDriveComponent& drives, std::uint8_t index, const LookupEndpoint& endpoint,
                 std::ostream& out) {
    ReportFields fields = FieldsOfThisProgram();
    const std::u16string report = ReportOf(drives, index, fields);
    const auto failure = RunLookup(report, fields, endpoint, [&out](const std::u16string& address) {
        out << Utf16ToUtf8(address) << '\n';
    });
    if (failure)
        out << Utf16ToUtf8(FailureText(*failure)) << '\n';
    return !failure;
}

}  // namespace quendra
