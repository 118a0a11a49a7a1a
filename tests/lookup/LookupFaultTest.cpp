// The lookup exchange, as the window runs it, against servers that misbehave in every way a
// network can: each ends in one defined outcome (the failure box's text, or nothing opened and
// nothing shown) within the exchange's time limit. The limits here are shorter than the
// program's (30 s to connect, 60 s for the whole exchange) so that every row stays well inside
// a test's minute; the reply cap is the program's own 4 MiB.

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <memory>

#include "lookup/LookupExchange.h"
#include "tests/fakes/LoopbackHttpServer.h"
#include "tests/lookup/SampleReport.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kConnectLimit = 2s;
constexpr auto kExchangeLimit = 3s;
// What a loaded machine may add to a limit before the outcome is in.
constexpr auto kSlack = 3s;

const std::string kReply =
    "HTTP/1.1 200 OK\r\nContent-Length: 29\r\n\r\n[s]\r\nurl=http://x.example/page";

// Where the lookup goes and what answers there; "{server}" in the expected text stands for
// "127.0.0.1:<port>".
struct Row {
    const char* name;
    std::function<ServerReply(const RecordedRequest&, std::size_t)> server;  // none: no server
    std::string host;      // when set, the lookup goes to this host instead
    std::string expected;  // the failure box's text; empty: no failure
    std::size_t requests;  // requests the server saw
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

ServerReply Redirect(const std::string& location) {
    return ServerReply::Text(302, "Found", "", {{"Location", location}});
}

std::vector<Row> Rows() {
    return {
        {"NameResolutionFails", nullptr, "quendra-lookup-fault.invalid",
         "Cannot find the address of quendra-lookup-fault.invalid: {cause} NUMBER : 0", 0},
        {"ConnectionRefused", nullptr, "127.0.0.1:{closed}",
         "Cannot connect to 127.0.0.1:{closed}: Connection refused NUMBER : 0", 0},
        {"ResetBeforeTheReply", [](auto&, auto) { return ServerReply::Reset(""); }, "",
         "The exchange with {server} failed: Connection reset by peer NUMBER : 0", 1},
        {"ResetMidBody",
         [](auto&, auto) { return ServerReply::Reset(kReply.substr(0, kReply.size() - 10)); }, "",
         "The exchange with {server} failed: Connection reset by peer NUMBER : 0", 1},
        {"BodyNeverEnds",
         [](auto&, auto) {
             return ServerReply("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
                                "1\r\n;\r\n", 20ms);
         },
         "", "No complete reply from {server} within 3 s NUMBER : 0", 1},
        {"OneByteASecond",
         [](auto&, auto) {
             ServerReply reply;
             for (char c : kReply)
                 reply.then.emplace_back(1, c);
             reply.pause = 1s;
             return reply;
         },
         "", "No complete reply from {server} within 3 s NUMBER : 0", 1},
        {"OversizedReply",
         [](auto&, auto) {
             return ServerReply("HTTP/1.1 200 OK\r\n\r\n[s]\r\nurl=http://x.example/" +
                                std::string(4 * 1024 * 1024, 'x'));
         },
         "", "The reply from {server} is larger than 4194304 bytes NUMBER : 0", 1},
        {"FifteenRedirects",
         [](auto&, std::size_t index) { return Redirect("/hop" + std::to_string(index + 1)); }, "",
         "", 15},
        {"RedirectLoop", [](auto&, auto) { return Redirect("/quendra/quendra.php"); }, "", "", 15},
    };
}

std::string Replace(std::string text, const std::string& what, const std::string& with) {
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

class LookupFault : public testing::TestWithParam<Row> {};

TEST_P(LookupFault, EndsInItsOutcomeWithinTheLimit) {
    const Row& row = GetParam();
    std::unique_ptr<LoopbackHttpServer> server;
    std::string hostText = row.host;
    if (row.server) {
        server = std::make_unique<LoopbackHttpServer>(row.server);
        hostText = "127.0.0.1:" + std::to_string(server->port());
    }
    hostText = Replace(hostText, "{closed}", std::to_string(FreePort()));
    const auto host = ParseHostAddress(hostText);
    ASSERT_TRUE(host);

    LookupLimits limits;
    limits.connect = kConnectLimit;
    limits.exchange = kExchangeLimit;
    std::vector<std::u16string> opened;
    const auto start = Clock::now();
    const auto failure = RunLookup(
        SampleReport(), SampleWords(), LookupEndpoint{*host},
        [&](const std::u16string& address) { opened.push_back(address); }, limits);
    const auto elapsed = Clock::now() - start;
    std::cout << "[ fault    ] " << row.name << ": "
              << std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() << " ms, "
              << (failure ? Utf16ToUtf8(FailureText(*failure)) : "no failure") << '\n';

    EXPECT_LT(elapsed, kExchangeLimit + kSlack);
    EXPECT_TRUE(opened.empty());
    if (row.expected.empty()) {
        EXPECT_FALSE(failure);
    } else {
        ASSERT_TRUE(failure);
        std::string expected = Replace(row.expected, "{server}", hostText);
        expected = Replace(expected, "127.0.0.1:{closed}", hostText);
        const std::string actual = Utf16ToUtf8(FailureText(*failure));
        if (const auto cause = expected.find("{cause}"); cause != std::string::npos) {
            // The resolver's own words for a name that does not exist vary by system.
            EXPECT_EQ(actual.substr(0, cause), expected.substr(0, cause));
            EXPECT_TRUE(actual.ends_with(expected.substr(cause + 7))) << actual;
        } else {
            EXPECT_EQ(actual, expected);
        }
    }
    if (server) {
        EXPECT_EQ(server->requests().size(), row.requests);
    }
}

INSTANTIATE_TEST_SUITE_P(Network, LookupFault, testing::ValuesIn(Rows()),
                         [](const testing::TestParamInfo<Row>& info) { return info.param.name; });

}  // namespace
