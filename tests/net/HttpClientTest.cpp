// Exchanges over real connections to a server on 127.0.0.1: time limits, the size cap
// and connection failures.
#include "net/HttpClient.h"

#include <gtest/gtest.h>

#include <boost/asio.hpp>

#include "tests/fakes/LoopbackHttpServer.h"

namespace {

using namespace quendra;

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

HttpLimits ShortLimits() {
    HttpLimits limits;
    limits.connect = 200ms;
    limits.exchange = 200ms;
    limits.maxReplyBytes = 1024;
    return limits;
}

HttpRequest Post(std::string body) {
    HttpRequest request;
    request.method = "POST";
    request.target = "/echo";
    request.fields = {{"Content-Length", std::to_string(body.size())}, {"Host", "loopback"}};
    request.body = std::move(body);
    return request;
}

TEST(HttpClient, SendsTheRequestAndReadsTheReply) {
    LoopbackHttpServer server([](const RecordedRequest& request, std::size_t) {
        return ServerReply{"HTTP/1.1 201 Created\r\nTransfer-Encoding: chunked\r\n\r\n" +
                           std::string("3\r\n") + request.body.substr(0, 3) + "\r\n0\r\n\r\n"};
    });
    for (const char* host : {"127.0.0.1", "localhost"}) {
        const auto result = HttpExchange({host, server.port()}, Post("abcdef"), ShortLimits());
        ASSERT_TRUE(result.ok()) << host << ": " << result.failure->message;
        EXPECT_EQ(result.reply.status, 201u);
        EXPECT_EQ(result.reply.body, "abc");
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].bytes,
              "POST /echo HTTP/1.1\r\nContent-Length: 6\r\nHost: loopback\r\n\r\nabcdef");
}

TEST(HttpClient, EndsAReplyThatNeverEndsAtTheExchangeLimit) {
    // One chunk every 20 ms: the connection is never idle, but the reply never ends.
    LoopbackHttpServer dribbling([](const RecordedRequest&, std::size_t) {
        return ServerReply{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "1\r\nx\r\n",
                           20ms};
    });
    LoopbackHttpServer silent([](const RecordedRequest&, std::size_t) {
        ServerReply reply{"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhalf"};
        reply.holdOpen = true;
        return reply;
    });
    for (const auto port : {dribbling.port(), silent.port()}) {
        const auto start = Clock::now();
        const auto result = HttpExchange({"127.0.0.1", port}, Post("x"), ShortLimits());
        const auto elapsed = Clock::now() - start;
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.failure->kind, HttpFailureKind::Timeout);
        EXPECT_EQ(result.failure->message,
                  "No complete reply from 127.0.0.1:" + std::to_string(port) + " within 200 ms");
        EXPECT_GE(elapsed, 190ms);
        EXPECT_LT(elapsed, 10s);  // loose: a loaded machine under sanitizers is slow
    }
}

TEST(HttpClient, StopsReadingAtTheCap) {
    LoopbackHttpServer server([](const RecordedRequest&, std::size_t) {
        return ServerReply{"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" +
                           std::string(64 * 1024, 'x')};
    });
    const auto result = HttpExchange({"127.0.0.1", server.port()}, Post(""), ShortLimits());
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure->kind, HttpFailureKind::TooLarge);
    EXPECT_EQ(result.failure->message, "The reply from 127.0.0.1:" + std::to_string(server.port()) +
                                           " is larger than 1024 bytes");
}

TEST(HttpClient, ReportsARefusedConnection) {
    // A port that was free a moment ago and has no listener now.
    std::uint16_t port = 0;
    {
        boost::asio::io_context ioc;
        boost::asio::ip::tcp::acceptor acceptor(ioc,
                                                {boost::asio::ip::make_address("127.0.0.1"), 0});
        port = acceptor.local_endpoint().port();
    }
    const auto result = HttpExchange({"127.0.0.1", port}, Post(""), ShortLimits());
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure->kind, HttpFailureKind::Connect);
    EXPECT_EQ(result.failure->message,
              "Cannot connect to 127.0.0.1:" + std::to_string(port) + ": Connection refused");
}

TEST(HttpClient, GivesUpConnectingAtTheConnectLimit) {
    // A listener whose accept queue is full drops new connection attempts, so the
    // connection is never made.
    boost::asio::io_context ioc;
    boost::asio::ip::tcp::acceptor acceptor(ioc);
    const boost::asio::ip::tcp::endpoint any(boost::asio::ip::make_address("127.0.0.1"), 0);
    acceptor.open(any.protocol());
    acceptor.bind(any);
    acceptor.listen(0);
    const auto port = acceptor.local_endpoint().port();
    std::vector<boost::asio::ip::tcp::socket> fillers;
    for (int i = 0; i < 4; ++i) {
        fillers.emplace_back(ioc);
        // Started, never completed here: the attempt alone takes a place in the queue.
        fillers.back().async_connect({any.address(), port}, [](boost::system::error_code) {});
    }

    HttpLimits limits = ShortLimits();
    limits.exchange = 5s;
    const auto start = Clock::now();
    const auto result = HttpExchange({"127.0.0.1", port}, Post(""), limits);
    const auto elapsed = Clock::now() - start;
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure->kind, HttpFailureKind::ConnectTimeout);
    EXPECT_EQ(result.failure->message,
              "No connection to 127.0.0.1:" + std::to_string(port) + " within 200 ms");
    EXPECT_LT(elapsed, 10s);  // loose: a loaded machine under sanitizers is slow
}

}  // namespace
