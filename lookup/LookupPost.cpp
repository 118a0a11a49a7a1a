#include "lookup/LookupPost.h"

#include "lookup/ReplyReader.h"
#include "net/HttpClient.h"
#include "util/TextRules.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

constexpr int kRedirectsEndingTheExchange = 15;

// The Location value, trimmed; a blank one names no address and counts as absent.
std::optional<std::string> Location(const HttpReply& reply) {
    auto location = reply.Field("Location");
    if (!location)
        return std::nullopt;
    std::string trimmed = Trim(*location);
    if (trimmed.empty())
        return std::nullopt;
    return trimmed;
}

bool IsRedirect(const HttpReply& reply) {
    if (reply.status >= 300 && reply.status <= 399 && reply.status != 304)
        return true;
    return reply.status != 201 && Location(reply).has_value();
}

LookupFailure Failure(std::string_view message) {
    return LookupFailure{Utf8ToUtf16(message), 0};
}

LookupFailure StatusFailure(const HttpReply& reply) {
    return LookupFailure{Latin1ToUtf16(reply.StatusLine()), 0};
}

}  // namespace

HttpRequest LookupRequest(const std::string& body, const HttpAddress& address,
                          LookupProtocol protocol) {
    HttpRequest request;
    request.method = "POST";
    request.target = address.target;
    request.version = protocol == LookupProtocol::Http11 ? 11 : 10;
    if (protocol == LookupProtocol::Http10KeepAlive) {
        request.fields.emplace_back("Connection", "keep-alive");
    }
    request.fields.emplace_back("Content-Type", "application/x-www-form-urlencoded");
    request.fields.emplace_back("Content-Length", std::to_string(body.size()));
    request.fields.emplace_back("Host", HostFieldValue(address.server));
    request.fields.emplace_back("Accept", "text/html, */*");
    request.fields.emplace_back("Accept-Encoding", "identity");
    request.fields.emplace_back("User-Agent", "quendra-1.0.0.0");
    request.body = body;
    return request;
}

PostOutcome PostLookup(const std::string& body, const LookupEndpoint& endpoint,
                       LookupProtocol protocol, const LookupLimits& limits) {
    const auto deadline = std::chrono::steady_clock::now() + limits.exchange;
    HttpAddress address{"http", endpoint.host, endpoint.path};
    for (int redirects = 0;;) {
        const auto result =
            HttpExchange(address.server, LookupRequest(body, address, protocol), limits, deadline);
        if (!result.ok())
            return {{}, Failure(result.failure->message)};
        const HttpReply& reply = result.reply;

        if (IsRedirect(reply)) {
            if (++redirects == kRedirectsEndingTheExchange)
                return {};
            // A redirect that names no usable address fails like an unsuccessful status.
            const auto location = Location(reply);
            const auto next = location ? ResolveLocation(address, *location) : std::nullopt;
            if (!next)
                return {{}, StatusFailure(reply)};
            if (next->scheme != "http") {
                return {{},
                        Failure("Cannot follow the redirect to " + AddressText(*next) +
                                ": only plain http addresses are supported")};
            }
            address = *next;
            continue;
        }
        if (reply.status >= 200 && reply.status <= 299) {
            return {DecodeReplyBody(reply.Field("Content-Type").value_or(""), reply.body), {}};
        }
        return {{}, StatusFailure(reply)};
    }
}

}  // namespace quendra
