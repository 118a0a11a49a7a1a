#pragma once

// The lookup exchange: the report goes to the lookup service as a form post, and every
// page address the reply names is handed, in reply order, to an opener. The window passes
// its document opener; other callers may print the addresses instead.

#include <optional>
#include <string>
#include <string_view>

#include "lookup/LookupTypes.h"
#include "report/ReportFields.h"

namespace quendra {

// Posts the report, follows redirects and opens each valid address of the reply through
// `open`. Nothing when the exchange succeeded (also when the reply named nothing to open,
// and when the 15th redirect ended it); the failure otherwise, after which nothing more
// is opened.
//
// Reply statuses: interim 1xx replies (all but 101) are read past; 200-299 give the reply
// text; 300-399 except 304, and any status but 201 with a non-blank Location field, are
// redirects; every other status (101, 304, 400 and above, or a redirect whose Location is
// missing, blank or not an address) fails with the reply's status line. At most
// kMaxOpenedAddresses addresses are opened.
std::optional<LookupFailure> RunLookup(std::u16string_view report, const ReportFields& words,
                                       const LookupEndpoint& endpoint, const DocumentOpener& open,
                                       const LookupLimits& limits = {});

struct DiagnosticLookupResult {
    std::u16string replyText;  // for the diagnostic log; empty after a failure
    std::optional<LookupFailure> failure;
};

// The diagnostic exchange: the same post with an HTTP/1.0 request line and a leading
// "Connection: keep-alive" field; returns the decoded reply text instead of opening
// anything. The caller shows its "0" message box before calling.
DiagnosticLookupResult RunDiagnosticLookup(std::u16string_view report,
                                           const LookupEndpoint& endpoint,
                                           const LookupLimits& limits = {});

}  // namespace quendra
