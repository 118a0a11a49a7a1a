#include "net/HttpClient.h"

#include <algorithm>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <exception>

#include "net/BeastExchange.h"
#include "net/Connection.h"

namespace quendra {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

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
        asio::io_context ioc;
        detail::StepRunner runner(ioc);
        detail::NameLookup lookup;
        tcp::socket socket(ioc);
        if (auto failure = detail::ConnectTcp(runner, lookup, socket, server, connectDeadline)) {
            if (failure->kind == HttpFailureKind::ConnectTimeout) {
                outcome.failure = connectTimeout;
            } else {
                outcome.failure = std::move(failure);
            }
            return outcome;
        }

        beast::tcp_stream stream(std::move(socket));
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
