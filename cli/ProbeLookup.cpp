#include "cli/ProbeLookup.h"

#include "cli/DriveFacts.h"
#include "lookup/LookupExchange.h"
#include "report/Report.h"
#include "util/Unicode.h"

namespace quendra {

bool PrintLookup(TDriveComponent& drives, std::uint8_t index, const LookupEndpoint& endpoint,
                 std::ostream& out) {
    ReportFields fields = FieldsOfThisProgram();
    drives.SelectDevice(index);
    const std::u16string report = BuildReport(fields, drives, index);
    const auto failure = RunLookup(report, fields, endpoint, [&out](const std::u16string& address) {
        out << Utf16ToUtf8(address) << '\n';
    });
    if (failure)
        out << Utf16ToUtf8(FailureText(*failure)) << '\n';
    return !failure;
}

}  // namespace quendra
