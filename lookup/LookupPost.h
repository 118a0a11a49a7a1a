#pragma once

// The lookup request on the wire and the chain of redirects it may take.

#include <optional>
#include <string>

#include "lookup/LookupTypes.h"
#include "net/HttpAddress.h"
#include "net/HttpMessage.h"

namespace quendra {

enum class LookupProtocol {
    Http11,           // the lookup button's request
    Http10KeepAlive,  // the diagnostic request
};

// The post of `body` to `address`, its fields inserted in wire order: Content-Type,
// Content-Length, Host (following the address), Accept, Accept-Encoding, User-Agent;
// the diagnostic request puts "Connection: keep-alive" before them.
HttpRequest LookupRequest(const std::string& body, const HttpAddress& address,
                          LookupProtocol protocol);

struct PostOutcome {
    std::u16string replyText;
    std::optional<LookupFailure> failure;
};

// Sends the post and follows up to 14 redirects with the same request, built afresh for
// each address. The 15th redirect ends the exchange with an empty reply text.
PostOutcome PostLookup(const std::string& body, const LookupEndpoint& endpoint,
                       LookupProtocol protocol, const LookupLimits& limits);

}  // namespace quendra
