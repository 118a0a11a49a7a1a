// The request and reply step on in-memory streams: the exact request bytes, every reply
// framing, and the failures of a reply that is too large, malformed or cut off.
#include "net/BeastExchange.h"

#include <gtest/gtest.h>

#include <boost/beast/_experimental/test/stream.hpp>

namespace {

using namespace quendra;

namespace test = boost::beast::test;
using quendra::detail::SendAndReceive;

struct Exchange {
    HttpResult result;
    std::string sent;
};

// Runs one exchange against `reply` delivered a few bytes at a time, followed by the end
// of the connection.
Exchange RunOnStreams(const HttpRequest& request, const std::string& reply,
                      HttpLimits limits = {}) {
    boost::asio::io_context ioc;
    test::stream client(ioc, reply);
    test::stream server(ioc);
    client.connect(server);
    client.read_size(7);
    client.close_remote();
    Exchange exchange;
    exchange.result = SendAndReceive(ioc, client, request, limits, "127.0.0.1:8080");
    exchange.sent = std::string(server.str());
    return exchange;
}

const char* kOk = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

TEST(BeastExchange, WritesRequestLineAndFieldsExactlyAsGiven) {
    HttpRequest post;
    post.method = "POST";
    post.target = "/quendra/quendra.php";
    post.fields = {{"Content-Type", "application/x-www-form-urlencoded"},
                   {"Content-Length", "7"},
                   {"Host", "data.quendra.example"},
                   {"x-lower-case", "kept"},
                   {"User-Agent", "quendra-1.0.0.0"}};
    post.body = "a=1&b=2";
    EXPECT_EQ(RunOnStreams(post, kOk).sent,
              "POST /quendra/quendra.php HTTP/1.1\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Content-Length: 7\r\n"
              "Host: data.quendra.example\r\n"
              "x-lower-case: kept\r\n"
              "User-Agent: quendra-1.0.0.0\r\n"
              "\r\n"
              "a=1&b=2");

    HttpRequest old;
    old.method = "POST";
    old.version = 10;
    old.fields = {{"Connection", "keep-alive"}, {"Content-Length", "0"}};
    EXPECT_EQ(RunOnStreams(old, kOk).sent,
              "POST / HTTP/1.0\r\nConnection: keep-alive\r\nContent-Length: 0\r\n\r\n");

    HttpRequest bare;  // no fields at all: none is added
    bare.method = "FETCH";
    bare.target = "/x?y=1";
    EXPECT_EQ(RunOnStreams(bare, kOk).sent, "FETCH /x?y=1 HTTP/1.1\r\n\r\n");
}

TEST(BeastExchange, ReadsEveryFraming) {
    struct Case {
        const char* name;
        std::string reply;
        unsigned version;
        unsigned status;
        std::string reason;
        std::string body;
    };
    const Case cases[] = {
        {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", 11, 200, "OK", "hello"},
        {"length, extra bytes ignored", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhello", 11,
         200, "OK", "he"},
        {"chunked",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
         "5;ext=1\r\n[url]\r\nB\r\n\r\nurl=a.b/c\r\n0\r\nTrailer: x\r\n\r\n",
         11, 200, "OK", "[url]\r\nurl=a.b/c"},
        {"close-delimited", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nuntil the end", 11, 200,
         "OK", "until the end"},
        {"HTTP/1.0 close-delimited", "HTTP/1.0 200 Fine\r\n\r\nold", 10, 200, "Fine", "old"},
        {"empty body", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", 11, 200, "OK", ""},
        {"no content", "HTTP/1.1 204 No Content\r\n\r\n", 11, 204, "No Content", ""},
        {"error page", "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 4\r\n\r\noops", 11,
         500, "Internal Server Error", "oops"},
        // An empty reason phrase reads as the status code's standard one.
        {"empty reason", "HTTP/1.1 302 \r\nLocation: /x\r\nContent-Length: 0\r\n\r\n", 11, 302,
         "Found", ""},
    };
    for (const auto& c : cases) {
        const auto exchange = RunOnStreams(HttpRequest{}, c.reply);
        ASSERT_TRUE(exchange.result.ok()) << c.name << ": " << exchange.result.failure->message;
        const auto& reply = exchange.result.reply;
        EXPECT_EQ(reply.version, c.version) << c.name;
        EXPECT_EQ(reply.status, c.status) << c.name;
        EXPECT_EQ(reply.reason, c.reason) << c.name;
        EXPECT_EQ(reply.body, c.body) << c.name;
    }
}

TEST(BeastExchange, KeepsReplyFieldsAndStatusLine) {
    const auto exchange =
        RunOnStreams(HttpRequest{},
                     "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain; charset=utf-8\r\n"
                     "location: /moved\r\nContent-Length: 0\r\n\r\n");
    ASSERT_TRUE(exchange.result.ok());
    const auto& reply = exchange.result.reply;
    EXPECT_EQ(reply.StatusLine(), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(reply.Field("content-type"), "text/plain; charset=utf-8");
    EXPECT_EQ(reply.Field("Location"), "/moved");
    EXPECT_EQ(reply.Field("Set-Cookie"), std::nullopt);
    ASSERT_EQ(reply.fields.size(), 3u);
    EXPECT_EQ(reply.fields[1].first, "location");
}

TEST(BeastExchange, FailsWithAClearMessage) {
    const std::string big(100, 'x');
    struct Case {
        const char* name;
        std::string reply;
        HttpFailureKind kind;
        std::string message;
    };
    const std::string tooLarge = "The reply from 127.0.0.1:8080 is larger than 64 bytes";
    const Case cases[] = {
        {"length over the cap", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + big,
         HttpFailureKind::TooLarge, tooLarge},
        {"chunks over the cap",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n40\r\n" + big.substr(0, 64) +
             "\r\n1\r\nx\r\n0\r\n\r\n",
         HttpFailureKind::TooLarge, tooLarge},
        {"close-delimited over the cap", "HTTP/1.1 200 OK\r\n\r\n" + big, HttpFailureKind::TooLarge,
         tooLarge},
        {"header block over its limit",
         "HTTP/1.1 200 OK\r\nX-Big: " + std::string(70 * 1024, 'h') + "\r\n\r\n",
         HttpFailureKind::TooLarge, tooLarge},
        {"no reply at all", "", HttpFailureKind::Transfer,
         "127.0.0.1:8080 closed the connection without a reply"},
        {"cut-off body", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nshort",
         HttpFailureKind::Transfer,
         "127.0.0.1:8080 closed the connection before the reply was complete"},
        {"not HTTP", "<html>hello</html>\r\n\r\n", HttpFailureKind::Protocol,
         "The reply from 127.0.0.1:8080 is not valid HTTP"},
    };
    HttpLimits limits;
    limits.maxReplyBytes = 64;
    for (const auto& c : cases) {
        const auto exchange = RunOnStreams(HttpRequest{}, c.reply, limits);
        ASSERT_FALSE(exchange.result.ok()) << c.name;
        EXPECT_EQ(exchange.result.failure->kind, c.kind) << c.name;
        EXPECT_TRUE(exchange.result.failure->message.starts_with(c.message))
            << c.name << ": " << exchange.result.failure->message;
    }
    // Exactly at the cap is still a reply.
    const auto atCap =
        RunOnStreams(HttpRequest{}, "HTTP/1.1 200 OK\r\n\r\n" + big.substr(0, 64), limits);
    ASSERT_TRUE(atCap.result.ok());
    EXPECT_EQ(atCap.result.reply.body.size(), 64u);
}

}  // namespace
