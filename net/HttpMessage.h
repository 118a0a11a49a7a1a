#pragma once

// One HTTP request as it goes on the wire and one reply as it came back, free of the
// library that carries them.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quendra {

using HttpField = std::pair<std::string, std::string>;

struct HttpRequest {
    std::string method = "GET";
    std::string target = "/";
    unsigned version = 11;  // 11 for HTTP/1.1, 10 for HTTP/1.0
    // Written exactly in this order and nothing else: no field is added, moved or dropped.
    std::vector<HttpField> fields;
    std::string body;
};

struct HttpReply {
    unsigned version = 11;
    unsigned status = 0;
    std::string reason;
    std::vector<HttpField> fields;  // in the order received
    std::string body;               // without transfer coding

    // "HTTP/1.1 404 Not Found": version, status and reason phrase as received.
    std::string StatusLine() const;
    // The first field of that name (letter case ignored).
    std::optional<std::string> Field(std::string_view name) const;
};

enum class HttpFailureKind {
    Resolve,         // the host name has no address
    Connect,         // no connection could be made
    ConnectTimeout,  // no connection within the connect limit
    Timeout,         // the exchange did not end within its limit
    TooLarge,        // the reply is larger than the cap
    Protocol,        // the reply is not valid HTTP
    Transfer,        // the connection failed while sending or receiving
    Certificate,     // the server's TLS certificate was refused, or the handshake failed
    Redirect,        // a redirect that may not be followed (scheme change, too many hops)
    Cancelled,       // the caller cancelled the exchange
};

struct HttpFailure {
    HttpFailureKind kind;
    std::string message;  // a sentence naming the server and the cause
};

struct HttpResult {
    HttpReply reply;
    std::optional<HttpFailure> failure;

    bool ok() const { return !failure.has_value(); }
};

struct HttpLimits {
    // From the start of name resolution until the connection stands.
    std::chrono::milliseconds connect{std::chrono::seconds(30)};
    // From the start of name resolution until the last byte of the reply.
    std::chrono::milliseconds exchange{std::chrono::seconds(60)};
    // Largest reply body; the header block may take up to 64 KiB more.
    std::size_t maxReplyBytes = 4 * 1024 * 1024;
};

// "30 s" for whole seconds, "200 ms" otherwise.
std::string DescribeLimit(std::chrono::milliseconds limit);

}  // namespace quendra
