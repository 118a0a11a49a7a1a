#include "net/HttpClient.h"

#include <algorithm>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "net/BeastExchange.h"

namespace quendra {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

struct Resolution {
    tcp::resolver::results_type endpoints;
    std::optional<HttpFailure> failure;
};

// A name lookup that outlives its caller when it does not finish in time: the system
// resolver cannot be cancelled, so it runs on a thread of its own whose result is dropped.
struct PendingLookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    tcp::resolver::results_type endpoints;
    boost::system::error_code error;
};

Resolution Resolve(const HostAddress& server, Clock::time_point deadline) {
    const std::string port = std::to_string(server.port);
    {
        // Numeric addresses need no lookup and resolve at once.
        asio::io_context ioc;
        tcp::resolver resolver(ioc);
        boost::system::error_code ec;
        auto endpoints = resolver.resolve(
            server.host, port, tcp::resolver::numeric_host | tcp::resolver::numeric_service, ec);
        if (!ec)
            return {std::move(endpoints), std::nullopt};
    }

    auto pending = std::make_shared<PendingLookup>();
    try {
        std::thread([pending, host = server.host, port] {
            tcp::resolver::results_type endpoints;
            boost::system::error_code ec;
            try {
                asio::io_context ioc;
                tcp::resolver resolver(ioc);
                endpoints = resolver.resolve(host, port, tcp::resolver::numeric_service, ec);
            } catch (const std::exception&) {
                ec = asio::error::no_memory;
            }
            const std::lock_guard lock(pending->mutex);
            pending->endpoints = std::move(endpoints);
            pending->error = ec;
            pending->finished = true;
            pending->done.notify_all();
        }).detach();
    } catch (const std::exception& e) {
        return {{},
                HttpFailure{HttpFailureKind::Resolve,
                            "Cannot look up " + server.host + ": " + e.what()}};
    }

    std::unique_lock lock(pending->mutex);
    if (!pending->done.wait_until(lock, deadline, [&] { return pending->finished; })) {
        return {{}, HttpFailure{HttpFailureKind::ConnectTimeout, {}}};
    }
    if (pending->error || pending->endpoints.empty()) {
        const std::string cause =
            pending->error ? pending->error.message() : std::string("no address");
        return {{},
                HttpFailure{HttpFailureKind::Resolve,
                            "Cannot find the address of " + server.host + ": " + cause}};
    }
    return {std::move(pending->endpoints), std::nullopt};
}

}  // namespace

HttpResult HttpExchange(const HostAddress& server, const HttpRequest& request,
                        const HttpLimits& limits) {
    return HttpExchange(server, request, limits, Clock::now() + limits.exchange);
}

HttpResult HttpExchange(const HostAddress& server, const HttpRequest& request,
                        const HttpLimits& limits, Clock::time_point deadline) {
    const std::string peer = HostFieldValue(server);
    const auto connectDeadline = std::min(deadline, Clock::now() + limits.connect);
    // Whichever limit ends the connection attempt is the one the message names.
    const bool connectLimitFirst = connectDeadline < deadline;
    const HttpFailure connectTimeout =
        connectLimitFirst
            ? HttpFailure{HttpFailureKind::ConnectTimeout,
                          "No connection to " + peer + " within " + DescribeLimit(limits.connect)}
            : HttpFailure{HttpFailureKind::Timeout, "No complete reply from " + peer + " within " +
                                                        DescribeLimit(limits.exchange)};

    HttpResult outcome;
    try {
        auto resolution = Resolve(server, connectDeadline);
        if (resolution.failure) {
            if (resolution.failure->kind == HttpFailureKind::ConnectTimeout) {
                outcome.failure = connectTimeout;
            } else {
                outcome.failure = std::move(resolution.failure);
            }
            return outcome;
        }

        asio::io_context ioc;
        beast::tcp_stream stream(ioc);
        stream.expires_at(connectDeadline);
        beast::error_code connectError;
        stream.async_connect(resolution.endpoints, [&](beast::error_code ec, const tcp::endpoint&) {
            connectError = ec;
        });
        ioc.run();
        if (connectError == beast::error::timeout) {
            outcome.failure = connectTimeout;
            return outcome;
        }
        if (connectError) {
            outcome.failure =
                HttpFailure{HttpFailureKind::Connect,
                            "Cannot connect to " + peer + ": " + connectError.message()};
            return outcome;
        }

        stream.expires_at(deadline);
        outcome = detail::SendAndReceive(ioc, stream, request, limits, peer);
        beast::error_code ignored;
        stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
    } catch (const std::exception& e) {
        outcome.failure = HttpFailure{HttpFailureKind::Transfer,
                                      "The exchange with " + peer + " failed: " + e.what()};
    }
    return outcome;
}

}  // namespace quendra
