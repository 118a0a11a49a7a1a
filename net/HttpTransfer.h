#pragma once

// One HTTP transfer as the update engine makes it: open (name resolution, a proxy or a
// CONNECT tunnel through it, TLS, the request, redirects, interim replies), then the body
// block by block into the caller's buffer. Every blocking step has a time limit, and
// Cancel() from any thread makes the running step return at once. Runs on the calling
// thread with an io_context of its own; nothing of it outlives the object.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/HttpMessage.h"

namespace quendra {

enum class HttpMethod { Get, Post, Head };

// The stages a transfer reports while it runs (the update engine gives them its numbers).
enum class TransferStage {
    ResolvingName,       // data: the host name
    NameResolved,        // data: the address
    ConnectingToServer,  // data: the address
    ConnectedToServer,   // data: the address
    SendingRequest,
    RequestSent,  // data: bytes sent
    ReceivingResponse,
    ResponseReceived,
    InterimResponse,  // data: the interim status line (100 Continue ...)
    Redirect,         // data: the new address
    ClosingConnection,
    ConnectionClosed,
};

struct TransferProxy {
    enum class Mode {
        Environment,  // http_proxy / https_proxy / no_proxy, read by the caller (see below)
        Direct,
        Named,  // `server`:`port`, except for the hosts of `bypass`
    };
    Mode mode = Mode::Direct;
    std::string server;  // host name or address; "http://" in front and a "/" after are allowed
    std::uint16_t port = 8080;
    // Hosts reached directly: entries separated by ";", "," or blanks; "*" wildcards
    // ("*.example.com"), "<local>" for names without a dot.
    std::string bypass;
    // Sent as Basic proxy credentials when both are set.
    std::string username;
    std::string password;
    // Mode Environment: the values of the variables (the caller reads the environment).
    std::string httpProxy;
    std::string httpsProxy;
    std::string noProxy;
};

// The proxy settings of the process environment: http_proxy, https_proxy and no_proxy,
// each in lower or upper case (lower case first).
TransferProxy ProxyFromEnvironment();

struct TransferTls {
    bool ignoreHostName = false;          // a certificate for another name is accepted
    bool ignoreDates = false;             // an expired or not yet valid certificate is accepted
    bool ignoreUnknownAuthority = false;  // a certificate of an unknown issuer is accepted
    // An extra trust anchor (PEM file) besides the system trust store; for tests.
    std::string extraCaFile;
};

struct TransferLimits {
    // Name resolution, connection, proxy tunnel and TLS handshake.
    std::chrono::milliseconds connect{std::chrono::seconds(30)};
    // Writing the request.
    std::chrono::milliseconds send{std::chrono::seconds(60)};
    // Longest silence of the server while a reply is read.
    std::chrono::milliseconds receive{std::chrono::seconds(60)};
    // The whole transfer, from name resolution to the last body byte; nothing: no limit.
    std::optional<std::chrono::milliseconds> total;
};

struct TransferRequest {
    HttpMethod method = HttpMethod::Get;
    std::string url;  // absolute http or https address
    // After Host, written in this order; the transfer adds Host, Connection, credentials and
    // the Content-Length of a POST.
    std::vector<HttpField> fields;
    std::string body;  // POST only
    // A 401 with a Basic challenge is answered once with these (when both are set and the
    // reply comes from the host first asked).
    std::string username;
    std::string password;
    TransferProxy proxy;
    TransferTls tls;
    bool followRedirects = true;        // GET and HEAD only
    bool allowRedirectToHttp = false;   // from an https address
    bool allowRedirectToHttps = false;  // from an http address
    int maxRedirects = 10;              // the next redirect fails the open
    bool keepAlive = true;  // ask to keep the connection (reused across the hops of one open)
    TransferLimits limits;
    std::function<void(TransferStage, const std::string& data)> onStage;
};

// The final reply's head.
struct TransferReply {
    unsigned version = 11;
    unsigned status = 0;
    std::string reason;
    std::string rawHeaders;  // status line and fields, each ending in CR LF, then CR LF
    std::vector<HttpField> fields;
    std::optional<std::uint64_t> contentLength;
    std::string url;  // the address that answered (after redirects)

    // The value of the first field of that name (letter case ignored).
    std::optional<std::string> Field(std::string_view name) const;
};

class HttpTransfer {
public:
    explicit HttpTransfer(TransferRequest request);
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    // Connects, sends and reads up to the final reply's head. Nothing on success (Reply()
    // then holds the head), the failure otherwise. Call once.
    std::optional<HttpFailure> Open();
    const TransferReply& Reply() const;

    struct ReadResult {
        std::size_t bytes = 0;  // 0 with no failure: the body has ended
        std::optional<HttpFailure> failure;
    };
    // Reads the next body bytes into `data`, filling it unless the body ends first.
    ReadResult Read(char* data, std::size_t size);

    // Any thread, any time: a running step returns at once and every later one fails.
    void Cancel();

    // The connection's descriptor, -1 when none is open (tests check its flags).
    int NativeHandle() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace quendra
