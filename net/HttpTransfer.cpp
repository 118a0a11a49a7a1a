#include "net/HttpTransfer.h"

#include <openssl/evp.h>

#include <algorithm>
#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>
#include <exception>
#include <limits>

#include "net/BeastExchange.h"
#include "net/Connection.h"
#include "net/HttpAddress.h"
#include "net/NameLookup.h"
#include "net/ProxyChoice.h"
#include "net/TlsSession.h"
#include "util/TextRules.h"

namespace quendra {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = boost::beast::http;
namespace ssl = boost::asio::ssl;
using tcp = asio::ip::tcp;
using detail::Clock;

// The body of a redirect or of a refused challenge is read (and dropped) up to this size to
// keep the connection for the next hop; a longer one closes it instead.
constexpr std::size_t kDiscardLimit = 64 * 1024;

// Room for what one read from the socket may bring.
constexpr std::size_t kReadBufferSize = 256 * 1024;

std::string Base64(std::string_view text) {
    std::string out(4 * ((text.size() + 2) / 3) + 1, '\0');
    const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                        reinterpret_cast<const unsigned char*>(text.data()),
                                        static_cast<int>(text.size()));
    out.resize(static_cast<std::size_t>(std::max(written, 0)));
    return out;
}

std::string BasicCredentials(const std::string& user, const std::string& password) {
    return "Basic " + Base64(user + ":" + password);
}

bool IsRedirectStatus(unsigned status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool HasBasicChallenge(const TransferReply& reply) {
    for (const auto& [name, value] : reply.fields) {
        if (EqualsNoCase(name, "WWW-Authenticate") &&
            EqualsNoCase(std::string_view(value).substr(0, 5), "basic")) {
            return true;
        }
    }
    return false;
}

http::verb Verb(HttpMethod method) {
    switch (method) {
        case HttpMethod::Post:
            return http::verb::post;
        case HttpMethod::Head:
            return http::verb::head;
        case HttpMethod::Get:
            break;
    }
    return http::verb::get;
}

// Where a connection leads: reused for the next hop only when this is the same.
struct ConnectionKey {
    std::string scheme;
    HostAddress server;
    std::optional<HostAddress> proxy;
    friend bool operator==(const ConnectionKey&, const ConnectionKey&) = default;
};

}  // namespace

std::optional<std::string> TransferReply::Field(std::string_view name) const {
    for (const auto& [fieldName, value] : fields) {
        if (EqualsNoCase(fieldName, name))
            return value;
    }
    return std::nullopt;
}

struct HttpTransfer::State {
    using Parser = http::response_parser<http::buffer_body>;

    TransferRequest request;
    asio::io_context ioc;
    detail::StepRunner runner{ioc};
    detail::NameLookup lookup;
    tcp::socket socket{ioc};
    std::unique_ptr<ssl::context> tlsContext;
    std::unique_ptr<detail::TlsStream> tls;
    beast::flat_buffer buffer;
    std::optional<Parser> parser;
    TransferReply reply;
    std::optional<ConnectionKey> connected;
    std::string peer;  // what messages call the server of the current connection
    Clock::time_point end = Clock::time_point::max();
    std::atomic<int> handle{-1};
    bool opened = false;

    explicit State(TransferRequest r) : request(std::move(r)) {
        // The socket reads as much as this buffer has room for: a small one (it would stay
        // small, since the body leaves it at once) makes one system call per few hundred bytes.
        buffer.reserve(kReadBufferSize);
    }

    void Stage(TransferStage stage, const std::string& data = {}) {
        if (request.onStage)
            request.onStage(stage, data);
    }

    void CloseConnection() {
        if (!socket.is_open())
            return;
        Stage(TransferStage::ClosingConnection);
        boost::system::error_code ignored;
        socket.shutdown(tcp::socket::shutdown_both, ignored);
        socket.close(ignored);
        tls.reset();
        handle = -1;
        connected.reset();
        buffer.clear();
        Stage(TransferStage::ConnectionClosed);
    }

    // --- one asynchronous step, with its limit ------------------------------------------

    struct StepError {
        beast::error_code ec;
        bool timedOut = false;
        bool cancelled = false;
        std::chrono::milliseconds limit{};
        bool totalLimit = false;
    };

    template <class Start>
    StepError Step(std::chrono::milliseconds limit, Start&& start) {
        StepError error;
        const auto stepEnd = Clock::now() + limit;
        error.totalLimit = end < stepEnd;
        error.limit = error.totalLimit ? *request.limits.total : limit;
        bool finished = false;
        const auto outcome = runner.Run(
            [&] {
                start([&](beast::error_code ec, std::size_t = 0) {
                    error.ec = ec;
                    finished = true;
                });
            },
            finished, std::min(stepEnd, end),
            [&] {
                boost::system::error_code ignored;
                socket.close(ignored);
                handle = -1;
            });
        error.timedOut = outcome == detail::StepRunner::Outcome::TimedOut;
        error.cancelled = outcome == detail::StepRunner::Outcome::Cancelled;
        if (error.timedOut || error.cancelled)
            connected.reset();
        return error;
    }

    template <class F>
    auto WithStream(F&& f) {
        if (tls)
            return f(*tls);
        return f(socket);
    }

    HttpFailure Describe(const StepError& step, std::string_view doing) const {
        if (step.cancelled)
            return {HttpFailureKind::Cancelled, "Cancelled"};
        if (step.timedOut) {
            return {step.totalLimit ? HttpFailureKind::Timeout
                                    : (doing == "connect" ? HttpFailureKind::ConnectTimeout
                                                          : HttpFailureKind::Timeout),
                    "No answer from " + peer + " within " + DescribeLimit(step.limit)};
        }
        const auto ec = step.ec;
        if (ec == http::error::header_limit || ec == http::error::buffer_overflow) {
            return {HttpFailureKind::TooLarge, "The reply head from " + peer + " is larger than " +
                                                   std::to_string(detail::kHeaderLimit) + " bytes"};
        }
        if (ec == http::error::end_of_stream)
            return {HttpFailureKind::Transfer, peer + " closed the connection without a reply"};
        if (ec == http::error::partial_message) {
            return {HttpFailureKind::Transfer,
                    peer + " closed the connection before the reply was complete"};
        }
        if (ec == http::error::bad_status && doing == "head") {
            return {HttpFailureKind::Protocol, "The reply from " + peer +
                                                   " is not valid HTTP (too many interim replies "
                                                   "or a bad status)"};
        }
        if (ec.category() == http::make_error_code(http::error::end_of_stream).category()) {
            return {HttpFailureKind::Protocol,
                    "The reply from " + peer + " is not valid HTTP (" + ec.message() + ")"};
        }
        return {HttpFailureKind::Transfer,
                "The transfer with " + peer + " failed: " + ec.message()};
    }

    // --- connecting -------------------------------------------------------------------

    // Connects to the address (through `route`), makes a tunnel for https through a proxy
    // and shakes hands. A proxy that refuses the tunnel gives its reply as the final one
    // (`tunnelReply` set).
    std::optional<HttpFailure> Connect(const HttpAddress& address,
                                       const std::optional<ProxyRoute>& route,
                                       bool& tunnelRefused) {
        CloseConnection();
        const HostAddress& first = route ? route->proxy : address.server;
        peer = HostFieldValue(first, address.scheme == "https" && !route ? 443 : 80);
        const auto connectEnd = std::min(end, Clock::now() + request.limits.connect);
        auto failure =
            detail::ConnectTcp(runner, lookup, socket, first, connectEnd,
                               [&](detail::ConnectStage stage, const std::string& data) {
                                   switch (stage) {
                                       case detail::ConnectStage::ResolvingName:
                                           return Stage(TransferStage::ResolvingName, data);
                                       case detail::ConnectStage::NameResolved:
                                           return Stage(TransferStage::NameResolved, data);
                                       case detail::ConnectStage::Connecting:
                                           return Stage(TransferStage::ConnectingToServer, data);
                                       case detail::ConnectStage::Connected:
                                           return Stage(TransferStage::ConnectedToServer, data);
                                   }
                               });
        if (failure) {
            if (failure->kind == HttpFailureKind::ConnectTimeout) {
                const bool total = end <= connectEnd && request.limits.total;
                failure = HttpFailure{
                    total ? HttpFailureKind::Timeout : HttpFailureKind::ConnectTimeout,
                    "No connection to " + peer + " within " +
                        DescribeLimit(total ? *request.limits.total : request.limits.connect)};
            }
            return failure;
        }
        handle = socket.native_handle();
        if (address.scheme == "https") {
            if (route) {
                if (auto tunnel = OpenTunnel(address, *route, tunnelRefused);
                    tunnel || tunnelRefused)
                    return tunnel;
            }
            if (auto handshake = Handshake(address))
                return handshake;
        }
        connected = ConnectionKey{address.scheme, address.server,
                                  route ? std::optional<HostAddress>(route->proxy) : std::nullopt};
        return std::nullopt;
    }

    std::optional<HttpFailure> OpenTunnel(const HttpAddress& address, const ProxyRoute& route,
                                          bool& refused) {
        const std::string authority = HostFieldValue(address.server, 0);
        http::request<http::empty_body> connect;
        connect.method(http::verb::connect);
        connect.target(authority);
        connect.version(11);
        connect.insert(http::field::host, authority);
        if (!route.username.empty() && !route.password.empty()) {
            connect.insert(http::field::proxy_authorization,
                           BasicCredentials(route.username, route.password));
        }
        const auto sent = Step(request.limits.connect,
                               [&](auto handler) { http::async_write(socket, connect, handler); });
        if (sent.ec || sent.timedOut || sent.cancelled)
            return Describe(sent, "connect");
        http::response_parser<http::empty_body> answer;
        answer.skip(true);  // a reply to CONNECT has no body
        answer.header_limit(detail::kHeaderLimit);
        const auto read = Step(request.limits.connect, [&](auto handler) {
            http::async_read_header(socket, buffer, answer, handler);
        });
        if (read.ec || read.timedOut || read.cancelled)
            return Describe(read, "head");
        if (answer.get().result_int() / 100 == 2)
            return std::nullopt;
        refused = true;
        FillReply(answer.get(), AddressText(address));
        return std::nullopt;
    }

    std::optional<HttpFailure> Handshake(const HttpAddress& address) {
        if (!tlsContext) {
            std::string error;
            tlsContext = detail::MakeTlsContext(request.tls, error);
            if (!tlsContext)
                return HttpFailure{HttpFailureKind::Certificate, error};
        }
        tls = std::make_unique<detail::TlsStream>(socket, *tlsContext);
        if (!detail::PrepareTlsStream(*tls, address.server.host, request.tls)) {
            return HttpFailure{HttpFailureKind::Certificate,
                               "Cannot set up TLS for " + address.server.host};
        }
        peer = HostFieldValue(address.server, 443);
        const auto shaken = Step(request.limits.connect, [&](auto handler) {
            tls->async_handshake(ssl::stream_base::client, handler);
        });
        if (shaken.timedOut || shaken.cancelled)
            return Describe(shaken, "connect");
        if (shaken.ec)
            return detail::DescribeTlsFailure(*tls, shaken.ec, peer);
        return std::nullopt;
    }

    // --- one request and its reply's head ------------------------------------------------

    template <class Fields>
    void FillReply(const http::response_header<Fields>& head, std::string url) {
        reply = TransferReply{};
        reply.version = head.version();
        reply.status = head.result_int();
        reply.reason = std::string(head.reason());
        reply.rawHeaders = "HTTP/" + std::to_string(reply.version / 10) + "." +
                           std::to_string(reply.version % 10) + " " + std::to_string(reply.status) +
                           (reply.reason.empty() ? "" : " " + reply.reason) + "\r\n";
        for (const auto& field : head) {
            reply.fields.emplace_back(std::string(field.name_string()), std::string(field.value()));
            reply.rawHeaders +=
                std::string(field.name_string()) + ": " + std::string(field.value()) + "\r\n";
        }
        reply.rawHeaders += "\r\n";
        reply.url = std::move(url);
    }

    std::optional<HttpFailure> Exchange(const HttpAddress& address,
                                        const std::optional<ProxyRoute>& route,
                                        const std::string& authorization) {
        http::request<http::string_body> wire;
        wire.method(Verb(request.method));
        const bool viaProxy = route && address.scheme == "http";
        wire.target(viaProxy ? AddressText(address) : address.target);
        wire.version(11);
        wire.insert(http::field::host,
                    HostFieldValue(address.server, address.scheme == "https" ? 443 : 80));
        for (const auto& [name, value] : request.fields)
            wire.insert(name, value);
        wire.insert(http::field::connection, request.keepAlive ? "keep-alive" : "close");
        if (!authorization.empty())
            wire.insert(http::field::authorization, authorization);
        if (viaProxy && !route->username.empty() && !route->password.empty()) {
            wire.insert(http::field::proxy_authorization,
                        BasicCredentials(route->username, route->password));
        }
        if (request.method == HttpMethod::Post) {
            wire.insert(http::field::content_length, std::to_string(request.body.size()));
            wire.body() = request.body;
        }

        Stage(TransferStage::SendingRequest);
        std::size_t sentBytes = 0;
        const auto sent = Step(request.limits.send, [&](auto handler) {
            WithStream([&](auto& stream) {
                http::async_write(stream, wire, [&, handler](beast::error_code ec, std::size_t n) {
                    sentBytes = n;
                    handler(ec, n);
                });
            });
        });
        if (sent.ec || sent.timedOut || sent.cancelled)
            return Describe(sent, "send");
        Stage(TransferStage::RequestSent, std::to_string(sentBytes));

        Stage(TransferStage::ReceivingResponse);
        const auto prepare = [this](Parser& fresh) {
            fresh.header_limit(detail::kHeaderLimit);
            // No limit here: the caller caps what it keeps. (boost::none would compare as
            // smaller than every Content-Length in this Beast version.)
            fresh.body_limit(std::numeric_limits<std::uint64_t>::max());
            if (request.method == HttpMethod::Head)
                fresh.skip(true);
        };
        const auto interim = [this] {
            Stage(TransferStage::InterimResponse, std::to_string(parser->get().result_int()) + " " +
                                                      std::string(parser->get().reason()));
        };
        const auto head = Step(request.limits.receive, [&](auto handler) {
            WithStream([&](auto& stream) {
                detail::AsyncReadFinalHeader<std::decay_t<decltype(stream)>, Parser>(
                    stream, buffer, parser, prepare, interim,
                    [handler](beast::error_code ec) { handler(ec, 0); });
            });
        });
        if (head.ec || head.timedOut || head.cancelled) {
            parser.reset();
            return Describe(head, "head");
        }
        FillReply(parser->get().base(), AddressText(address));
        if (const auto length = parser->content_length())
            reply.contentLength = *length;
        Stage(TransferStage::ResponseReceived, std::to_string(buffer.size()));
        return std::nullopt;
    }

    // Reads and drops a short body so the connection can carry the next hop; closes the
    // connection when the body is long or the server does not keep it.
    void DiscardBody() {
        char scratch[4096];
        std::size_t total = 0;
        while (parser && !parser->is_done() && total <= kDiscardLimit) {
            const auto read = ReadBody(scratch, sizeof scratch);
            if (read.failure || read.bytes == 0)
                break;
            total += read.bytes;
        }
        const bool reusable =
            parser && parser->is_done() && parser->keep_alive() && request.keepAlive;
        parser.reset();
        if (!reusable)
            CloseConnection();
    }

    ReadResult ReadBody(char* data, std::size_t size) {
        if (!parser)
            return {};  // no body: a refused tunnel, or the transfer has ended
        auto& body = parser->get().body();
        body.data = data;
        body.size = size;
        // What has already arrived is parsed here, without a round through the io_context.
        while (body.size > 0 && !parser->is_done() && buffer.size() > 0) {
            beast::error_code ec;
            const std::size_t used = parser->put(buffer.data(), ec);
            buffer.consume(used);
            if (ec == http::error::need_more || ec == http::error::need_buffer)
                break;
            if (ec) {
                const std::size_t got = size - body.size;
                body.data = nullptr;
                return {got, Describe(StepError{ec}, "body")};
            }
            if (used == 0)
                break;
        }
        while (body.size > 0 && !parser->is_done()) {
            const auto read = Step(request.limits.receive, [&](auto handler) {
                WithStream(
                    [&](auto& stream) { http::async_read_some(stream, buffer, *parser, handler); });
            });
            if (read.ec == http::error::need_buffer)
                break;
            if (read.ec || read.timedOut || read.cancelled) {
                const std::size_t got = size - body.size;
                body.data = nullptr;
                return {got, Describe(read, "body")};
            }
        }
        const std::size_t got = size - body.size;
        body.data = nullptr;
        body.size = 0;
        return {got, std::nullopt};
    }

    // --- the whole open -------------------------------------------------------------------

    std::optional<HttpFailure> Open() {
        if (request.limits.total)
            end = Clock::now() + *request.limits.total;
        const auto parsed = ParseHttpAddress(request.url);
        if (!parsed || (parsed->scheme != "http" && parsed->scheme != "https")) {
            return HttpFailure{HttpFailureKind::Resolve,
                               "Cannot read the address \"" + request.url + "\""};
        }
        HttpAddress address = *parsed;
        const HttpAddress first = address;
        bool challengeAnswered = false;
        std::string authorization;
        for (int hops = 0;;) {
            const auto route = ChooseProxy(request.proxy, address);
            const ConnectionKey key{
                address.scheme, address.server,
                route ? std::optional<HostAddress>(route->proxy) : std::nullopt};
            const bool reusing = connected && *connected == key;
            if (!reusing) {
                bool tunnelRefused = false;
                if (auto failure = Connect(address, route, tunnelRefused))
                    return failure;
                if (tunnelRefused) {
                    CloseConnection();
                    return std::nullopt;
                }
            }
            if (auto failure = Exchange(address, route, authorization)) {
                // A kept connection the server has closed meanwhile: once more on a new one.
                if (!reusing || failure->kind != HttpFailureKind::Transfer)
                    return failure;
                CloseConnection();
                continue;
            }

            if (reply.status == 401 && !challengeAnswered && !request.username.empty() &&
                !request.password.empty() && HasBasicChallenge(reply) &&
                address.scheme == first.scheme && address.server == first.server) {
                challengeAnswered = true;
                authorization = BasicCredentials(request.username, request.password);
                DiscardBody();
                continue;
            }
            const bool mayFollow = request.followRedirects && request.method != HttpMethod::Post &&
                                   IsRedirectStatus(reply.status);
            const auto location = reply.Field("Location");
            const std::string target = location ? Trim(*location) : std::string();
            const auto next =
                mayFollow && !target.empty() ? ResolveLocation(address, target) : std::nullopt;
            if (!next || (next->scheme != "http" && next->scheme != "https"))
                return std::nullopt;  // a final reply (an unusable redirect included)
            if (next->scheme != address.scheme &&
                !(next->scheme == "http" ? request.allowRedirectToHttp
                                         : request.allowRedirectToHttps)) {
                CloseConnection();
                return HttpFailure{HttpFailureKind::Redirect,
                                   "The redirect from " + AddressText(address) + " to " +
                                       AddressText(*next) + " changes the scheme"};
            }
            if (++hops > request.maxRedirects) {
                CloseConnection();
                return HttpFailure{HttpFailureKind::Redirect,
                                   "More than " + std::to_string(request.maxRedirects) +
                                       " redirects from " + AddressText(first)};
            }
            Stage(TransferStage::Redirect, AddressText(*next));
            DiscardBody();
            // Credentials answer challenges of the first host only.
            if (!(next->scheme == first.scheme && next->server == first.server))
                authorization.clear();
            address = *next;
        }
    }
};

HttpTransfer::HttpTransfer(TransferRequest request)
    : state_(std::make_unique<State>(std::move(request))) {}

HttpTransfer::~HttpTransfer() {
    state_->request.onStage = nullptr;
    state_->CloseConnection();
}

std::optional<HttpFailure> HttpTransfer::Open() {
    if (state_->opened)
        return HttpFailure{HttpFailureKind::Transfer, "The transfer was opened before"};
    state_->opened = true;
    try {
        auto failure = state_->Open();
        if (failure)
            state_->CloseConnection();
        return failure;
    } catch (const std::exception& e) {
        state_->CloseConnection();
        return HttpFailure{HttpFailureKind::Transfer,
                           std::string("The transfer failed: ") + e.what()};
    }
}

const TransferReply& HttpTransfer::Reply() const {
    return state_->reply;
}

HttpTransfer::ReadResult HttpTransfer::Read(char* data, std::size_t size) {
    try {
        auto result = state_->ReadBody(data, size);
        if (result.failure || result.bytes < size)
            state_->CloseConnection();
        return result;
    } catch (const std::exception& e) {
        state_->CloseConnection();
        return {0, HttpFailure{HttpFailureKind::Transfer,
                               std::string("The transfer failed: ") + e.what()}};
    }
}

void HttpTransfer::Cancel() {
    state_->runner.Cancel();
    state_->lookup.Cancel();
}

int HttpTransfer::NativeHandle() const {
    return state_->handle;
}

}  // namespace quendra
