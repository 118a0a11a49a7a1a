// The lookup exchange against a server on 127.0.0.1 that records every request byte.
#include "lookup/LookupExchange.h"

#include <gtest/gtest.h>

#include "tests/fakes/LoopbackHttpServer.h"
#include "tests/lookup/SampleReport.h"

namespace {

using namespace quendra;

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Addresses = std::vector<std::u16string>;

LookupLimits TestLimits() {
    LookupLimits limits;
    limits.connect = 2s;
    limits.exchange = 10s;
    limits.maxReplyBytes = 64 * 1024;
    return limits;
}

LookupEndpoint Endpoint(const LoopbackHttpServer& server) {
    return LookupEndpoint{{"127.0.0.1", server.port()}};
}

std::string Local(const LoopbackHttpServer& server) {
    return "127.0.0.1:" + std::to_string(server.port());
}

// Runs the lookup with the sample report and collects what it would open.
struct Lookup {
    std::optional<LookupFailure> failure;
    Addresses opened;
};

Lookup RunSampleLookup(const LookupEndpoint& endpoint, const LookupLimits& limits = TestLimits()) {
    Lookup lookup;
    lookup.failure = RunLookup(
        SampleReport(), SampleWords(), endpoint,
        [&](const std::u16string& address) { lookup.opened.push_back(address); }, limits);
    return lookup;
}

std::u16string U16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::string SampleBody() {
    std::string body;
    for (const auto& line : SampleReportLines())
        body += (body.empty() ? "" : "&") + line.wire;
    return body;
}

const char* kTwoSections =
    "[drivers]\r\nurl=http://drivers.example/<#DeviceNameBrand>/<#DeviceNameModel>\r\n"
    "[firmware]\r\nurl=ftp://files.example/<#DeviceNameFirmware>\r\n";

TEST(LookupExchange, PostsTheReportExactlyAndOpensTheReplysAddresses) {
    LoopbackHttpServer server([](const RecordedRequest&, std::size_t) {
        return ServerReply::Text(200, "OK", kTwoSections, {{"Content-Type", "text/html"}});
    });
    const auto lookup = RunSampleLookup(Endpoint(server));
    ASSERT_FALSE(lookup.failure);
    EXPECT_EQ(lookup.opened,
              (Addresses{u"http://drivers.example/ACME&Co/XR-22", u"ftp://files.example/1.02"}));

    const std::string body = SampleBody();
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].bytes,
              "POST /quendra/quendra.php HTTP/1.1\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Content-Length: " +
                  std::to_string(body.size()) +
                  "\r\n"
                  "Host: " +
                  Local(server) +
                  "\r\n"
                  "Accept: text/html, */*\r\n"
                  "Accept-Encoding: identity\r\n"
                  "User-Agent: quendra-1.0.0.0\r\n"
                  "\r\n" +
                  body);
}

TEST(LookupExchange, DiagnosticVariantPostsHttp10AndReturnsTheReplyText) {
    LoopbackHttpServer server([](const RecordedRequest&, std::size_t) {
        return ServerReply::Text(200, "OK", "[s]\r\nurl=http://x.example/caf\xC3\xA9",
                                 {{"Content-Type", "text/plain; charset=utf-8"}});
    });
    const auto result = RunDiagnosticLookup(SampleReport(), Endpoint(server), TestLimits());
    ASSERT_FALSE(result.failure);
    EXPECT_EQ(result.replyText, u"[s]\r\nurl=http://x.example/caf\u00E9");

    const std::string body = SampleBody();
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].head,
              "POST /quendra/quendra.php HTTP/1.0\r\n"
              "Connection: keep-alive\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Content-Length: " +
                  std::to_string(body.size()) +
                  "\r\n"
                  "Host: " +
                  Local(server) +
                  "\r\n"
                  "Accept: text/html, */*\r\n"
                  "Accept-Encoding: identity\r\n"
                  "User-Agent: quendra-1.0.0.0\r\n"
                  "\r\n");
    EXPECT_EQ(requests[0].body, body);
}

TEST(LookupExchange, UnsuccessfulStatusFailsWithItsStatusLine) {
    struct Case {
        std::string reply;
        std::u16string text;
    };
    const Case cases[] = {
        {"HTTP/1.1 500 Internal Server Error\r\nContent-Length: 11\r\n\r\n[s]\nurl=www",
         u"HTTP/1.1 500 Internal Server Error NUMBER : 0"},
        {"HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: 0\r\n\r\n",
         u"HTTP/1.1 404 Not Found NUMBER : 0"},
        // Neither success nor failure nor a redirect to follow: failures with their line.
        {"HTTP/1.1 304 Not Modified\r\n\r\n", u"HTTP/1.1 304 Not Modified NUMBER : 0"},
        // 101 is a final reply (this client never asks for an upgrade), not an interim one.
        {"HTTP/1.1 101 Switching Protocols\r\n\r\n",
         u"HTTP/1.1 101 Switching Protocols NUMBER : 0"},
        {"HTTP/1.0 302 Found\r\nContent-Length: 0\r\n\r\n", u"HTTP/1.0 302 Found NUMBER : 0"},
    };
    for (const auto& c : cases) {
        LoopbackHttpServer server(
            [&](const RecordedRequest&, std::size_t) { return ServerReply{c.reply}; });
        const auto lookup = RunSampleLookup(Endpoint(server));
        ASSERT_TRUE(lookup.failure);
        EXPECT_EQ(FailureText(*lookup.failure), c.text);
        EXPECT_EQ(lookup.failure->number, 0);
        EXPECT_TRUE(lookup.opened.empty());
    }
}

TEST(LookupExchange, ReadsPastInterimReplies) {
    const std::string final =
        ServerReply::Text(200, "OK", "[s]\nurl=http://after.interim.x/").bytes;
    struct Case {
        const char* name;
        ServerReply reply;
    };
    ServerReply apart{"HTTP/1.1 100 Continue\r\n\r\n"};
    apart.then = {final};
    ServerReply threeApart{"HTTP/1.1 102 Processing\r\n\r\n"};
    threeApart.then = {"HTTP/1.1 103 Early Hints\r\nLink: </style.css>; rel=preload\r\n\r\n",
                       final};
    const Case cases[] = {
        {"100 and 200 in one write", ServerReply{"HTTP/1.1 100 Continue\r\n\r\n" + final}},
        {"100 and 200 in two writes", apart},
        {"102, 103 and 200 in one write",
         ServerReply{"HTTP/1.1 102 Processing\r\n\r\nHTTP/1.1 103 Early Hints\r\n\r\n" + final}},
        {"102, 103 and 200 in three writes", threeApart},
    };
    for (const auto& c : cases) {
        LoopbackHttpServer server([&](const RecordedRequest&, std::size_t) { return c.reply; });
        const auto lookup = RunSampleLookup(Endpoint(server));
        ASSERT_FALSE(lookup.failure) << c.name;
        EXPECT_EQ(lookup.opened, Addresses{u"http://after.interim.x/"}) << c.name;
        EXPECT_EQ(server.requests().size(), 1u) << c.name;
    }
}

TEST(LookupExchange, RedirectWithoutAUsableAddressFailsWithItsStatusLine) {
    struct Case {
        const char* location;
        std::size_t requests;
        std::optional<std::u16string> failure;  // nothing: the redirect is followed
    };
    const Case cases[] = {
        {"", 1, u"HTTP/1.1 302 Found NUMBER : 0"},
        {"   ", 1, u"HTTP/1.1 302 Found NUMBER : 0"},
        {"http://bad host:99999/", 1, u"HTTP/1.1 302 Found NUMBER : 0"},
        {"http://127.0.0.1:0/", 1, u"HTTP/1.1 302 Found NUMBER : 0"},
        // The same address again (servers do that after setting a cookie) is followed.
        {"/quendra/quendra.php", 2, std::nullopt},
    };
    for (const auto& c : cases) {
        LoopbackHttpServer server([&](const RecordedRequest&, std::size_t index) {
            if (index == 0)
                return ServerReply::Text(302, "Found", "", {{"Location", c.location}});
            return ServerReply::Text(200, "OK", "[s]\nurl=http://same.again.example/");
        });
        const auto lookup = RunSampleLookup(Endpoint(server));
        EXPECT_EQ(server.requests().size(), c.requests) << c.location;
        if (c.failure) {
            ASSERT_TRUE(lookup.failure) << c.location;
            EXPECT_EQ(FailureText(*lookup.failure), *c.failure);
            EXPECT_TRUE(lookup.opened.empty());
        } else {
            ASSERT_FALSE(lookup.failure) << c.location;
            EXPECT_EQ(lookup.opened, Addresses{u"http://same.again.example/"});
        }
    }
}

TEST(LookupExchange, FollowsRedirectsWithTheSameRequest) {
    LoopbackHttpServer server([](const RecordedRequest&, std::size_t index) {
        switch (index) {
            case 0:
                return ServerReply::Text(301, "Moved Permanently", "moved",
                                         {{"Location", "/v2/lookup.php"}});
            case 1:
                return ServerReply::Text(303, "See Other", "", {{"Location", "next.php?hop=2"}});
            case 2:  // any status but 201 with a Location is a redirect
                return ServerReply::Text(200, "OK", "[s]\nurl=http://not.this.example/",
                                         {{"location", "/v2/last.php"}});
            default:
                return ServerReply::Text(201, "Created", "[s]\nurl=http://final.example/",
                                         {{"Location", "/ignored"}});
        }
    });
    const auto lookup = RunSampleLookup(Endpoint(server));
    ASSERT_FALSE(lookup.failure);
    EXPECT_EQ(lookup.opened, Addresses{u"http://final.example/"});

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4u);
    const char* targets[] = {"/quendra/quendra.php", "/v2/lookup.php", "/v2/next.php?hop=2",
                             "/v2/last.php"};
    const auto firstHead = requests[0].head;
    const auto fields = firstHead.substr(firstHead.find("\r\n"));
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].RequestLine(), "POST " + std::string(targets[i]) + " HTTP/1.1");
        EXPECT_EQ(requests[i].head.substr(requests[i].head.find("\r\n")), fields);
        EXPECT_EQ(requests[i].body, SampleBody());
    }
}

TEST(LookupExchange, TheFifteenthRedirectEndsWithAnEmptyReply) {
    for (const std::size_t redirects : {14u, 15u, 30u}) {
        LoopbackHttpServer server([&](const RecordedRequest&, std::size_t index) {
            if (index < redirects) {
                return ServerReply::Text(302, "Found", "",
                                         {{"Location", "/hop" + std::to_string(index + 1)}});
            }
            return ServerReply::Text(200, "OK", "[s]\nurl=http://after.redirects.example/");
        });
        const auto lookup = RunSampleLookup(Endpoint(server));
        ASSERT_FALSE(lookup.failure) << redirects;
        if (redirects == 14) {
            EXPECT_EQ(lookup.opened, Addresses{u"http://after.redirects.example/"});
            EXPECT_EQ(server.requests().size(), 15u);
        } else {
            EXPECT_TRUE(lookup.opened.empty()) << redirects;
            EXPECT_EQ(server.requests().size(), 15u) << redirects;
        }
    }
}

TEST(LookupExchange, RedirectToAnotherHostCarriesThatHost) {
    LoopbackHttpServer server([](const RecordedRequest& request, std::size_t index) {
        if (index == 0) {
            const std::string port = request.Field("Host").substr(10);  // after "127.0.0.1:"
            return ServerReply::Text(302, "Found", "",
                                     {{"Location", "http://localhost:" + port + "/moved"}});
        }
        return ServerReply::Text(200, "OK", "[s]\nurl=http://moved.example/");
    });
    const auto lookup = RunSampleLookup(Endpoint(server));
    ASSERT_FALSE(lookup.failure);
    EXPECT_EQ(lookup.opened, Addresses{u"http://moved.example/"});
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Field("Host"), Local(server));
    EXPECT_EQ(requests[1].Field("Host"), "localhost:" + std::to_string(server.port()));
    EXPECT_EQ(requests[1].RequestLine(), "POST /moved HTTP/1.1");
}

TEST(LookupExchange, RedirectToHttpsFailsClearly) {
    LoopbackHttpServer server([](const RecordedRequest&, std::size_t) {
        return ServerReply::Text(307, "Temporary Redirect", "",
                                 {{"Location", "https://secure.example/quendra/quendra.php"}});
    });
    const auto lookup = RunSampleLookup(Endpoint(server));
    ASSERT_TRUE(lookup.failure);
    EXPECT_EQ(FailureText(*lookup.failure),
              u"Cannot follow the redirect to https://secure.example/quendra/quendra.php: only "
              u"plain http addresses are supported NUMBER : 0");
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(LookupExchange, DecodesTheDeclaredCharset) {
    LoopbackHttpServer server([](const RecordedRequest&, std::size_t) {
        return ServerReply::Text(200, "OK", "[ru]\r\nurl=http://x.example/\xC4\xE8\xF1\xEA",
                                 {{"Content-Type", "text/plain; charset=windows-1251"}});
    });
    const auto lookup = RunSampleLookup(Endpoint(server));
    ASSERT_FALSE(lookup.failure);
    EXPECT_EQ(lookup.opened, Addresses{u"http://x.example/\u0414\u0438\u0441\u043A"});
}

TEST(LookupExchange, LimitsEndTheExchangeWithAMessage) {
    LoopbackHttpServer endless([](const RecordedRequest&, std::size_t) {
        return ServerReply{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "1\r\n;\r\n",
                           20ms};
    });
    LoopbackHttpServer huge([](const RecordedRequest&, std::size_t) {
        return ServerReply::Text(200, "OK",
                                 "[s]\nurl=http://x.example/" + std::string(100000, 'x'));
    });
    const std::uint16_t closedPort = FreePort();
    LookupLimits limits = TestLimits();
    limits.connect = 200ms;
    limits.exchange = 200ms;

    struct Case {
        LookupEndpoint endpoint;
        std::string message;
    };
    const Case cases[] = {
        {Endpoint(endless), "No complete reply from " + Local(endless) + " within 200 ms"},
        {Endpoint(huge), "The reply from " + Local(huge) + " is larger than 65536 bytes"},
        {LookupEndpoint{{"127.0.0.1", closedPort}},
         "Cannot connect to 127.0.0.1:" + std::to_string(closedPort) + ": Connection refused"},
    };
    for (const auto& c : cases) {
        const auto start = Clock::now();
        const auto lookup = RunSampleLookup(c.endpoint, limits);
        EXPECT_LT(Clock::now() - start, 10s);  // loose: a loaded machine is slow
        ASSERT_TRUE(lookup.failure) << c.message;
        EXPECT_EQ(lookup.failure->message, U16(c.message));
        EXPECT_TRUE(lookup.opened.empty());
    }
}

TEST(LookupExchange, OneTimeLimitCoversAllRedirects) {
    // Each hop answers at once, but the chain of slow hops outlasts the whole limit.
    LoopbackHttpServer server([](const RecordedRequest&, std::size_t index) {
        ServerReply reply{"HTTP/1.1 302 Found\r\nLocation: /hop" + std::to_string(index + 1) +
                              "\r\nTransfer-Encoding: chunked\r\n\r\n",
                          "", 0ms};
        // The body ends 60 ms later.
        reply.repeat = "0\r\n\r\n";
        reply.every = 60ms;
        return reply;
    });
    LookupLimits limits = TestLimits();
    limits.exchange = 200ms;
    const auto lookup = RunSampleLookup(Endpoint(server), limits);
    ASSERT_TRUE(lookup.failure);
    EXPECT_EQ(lookup.failure->message,
              U16("No complete reply from " + Local(server) + " within 200 ms"));
    EXPECT_LE(server.requests().size(), 4u);
}

}  // namespace
