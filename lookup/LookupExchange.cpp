#include "lookup/LookupExchange.h"

#include <exception>

#include "lookup/LookupForm.h"
#include "lookup/LookupPost.h"
#include "lookup/ReplyReader.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

LookupFailure FromException(const std::exception& e) {
    return LookupFailure{Utf8ToUtf16(e.what()), 0};
}

}  // namespace

std::optional<LookupFailure> RunLookup(std::u16string_view report, const ReportFields& words,
                                       const LookupEndpoint& endpoint, const DocumentOpener& open,
                                       const LookupLimits& limits) {
    try {
        const std::string body = LookupBody(ReportFieldLines(report));
        const auto outcome = PostLookup(body, endpoint, LookupProtocol::Http11, limits);
        if (outcome.failure)
            return outcome.failure;
        for (const auto& address : AddressesFromReply(outcome.replyText, words)) {
            if (open)
                open(address);
        }
        return std::nullopt;
    } catch (const std::exception& e) {
        return FromException(e);
    }
}

DiagnosticLookupResult RunDiagnosticLookup(std::u16string_view report,
                                           const LookupEndpoint& endpoint,
                                           const LookupLimits& limits) {
    try {
        const std::string body = LookupBody(ReportFieldLines(report));
        auto outcome = PostLookup(body, endpoint, LookupProtocol::Http10KeepAlive, limits);
        return {std::move(outcome.replyText), std::move(outcome.failure)};
    } catch (const std::exception& e) {
        return {{}, FromException(e)};
    }
}

}  // namespace quendra
