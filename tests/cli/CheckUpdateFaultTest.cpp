// quendra-probe --check-update against update services that misbehave in every way a network
// can, on the information request and on a listed file: each check ends in one defined event,
// and the window appears, within the start-up check's limits (5 s to connect, 10 s for the
// information file, 30 s for a listed file of at most 1 MiB), with no download left behind.

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <sstream>

#include "cli/CheckUpdate.h"
#include "tests/cli/CheckFolders.h"
#include "tests/fakes/UpdateService.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;
using S = UpdateService;

constexpr auto kInfoLimit = 10s;
constexpr auto kFileLimit = 30s;
// What a loaded machine may add to a limit before the outcome is in.
constexpr auto kSlack = 4s;

const std::string kInfo = "#version=2.0.0.0\r\n#url={base}/urls-qndr.txt\r\n#message={Get it}\r\n";
const std::string kInfoReply =
    "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kInfo.size()) + "\r\n\r\n" + kInfo;

S::Answer Reply(ServerReply reply) {
    return [reply = std::move(reply)](const std::string&) { return reply; };
}

ServerReply Endless(const std::string& head) {
    return ServerReply(head + "\r\nTransfer-Encoding: chunked\r\n\r\n",
                       "100\r\n" + std::string(256, 'x') + "\r\n", 20ms);
}

ServerReply OneByteASecond(const std::string& bytes) {
    ServerReply reply;
    for (char c : bytes)
        reply.then.emplace_back(1, c);
    reply.pause = 1s;
    return reply;
}

S::Answer Redirect(const std::string& path) {
    return [path](const std::string& base) {
        return ServerReply::Text(302, "Found", "", {{"Location", base + path}});
    };
}

std::map<std::string, S::Answer> RedirectChain(int hops) {
    std::map<std::string, S::Answer> service{{"/update-qndr.php", Redirect("/hop1")}};
    for (int hop = 1; hop < hops; ++hop)
        service["/hop" + std::to_string(hop)] = Redirect("/hop" + std::to_string(hop + 1));
    service["/hop" + std::to_string(hops)] = S::Text(kInfo);
    return service;
}

// A service that offers a newer release whose URL list answers with `list`.
std::map<std::string, S::Answer> ListAnswers(ServerReply list) {
    return {{"/update-qndr.php", S::Text(kInfo)}, {"/urls-qndr.txt", Reply(std::move(list))}};
}

struct Row {
    const char* name;
    std::map<std::string, S::Answer> service;
    std::string infoUrl;  // "{base}" is the service's address
    Lines tail;           // the last lines of the output ("{base}" as above)
    std::chrono::seconds limit;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

std::vector<Row> Rows() {
    const std::string closed = "http://127.0.0.1:" + std::to_string(FreePort());
    const std::string unresolvable = "http://quendra-update-fault.invalid";
    const std::string info = "{base}/update-qndr.php";
    const std::string lost = "OnConnLost";
    const std::string unreachable =
        "OnHostUnreachable URL={base}/update-qndr.php Hostname=127.0.0.1";
    return {
        {"NameResolutionFails",
         {},
         unresolvable + "/update-qndr.php",
         {"OnHostUnreachable URL=" + unresolvable +
              "/update-qndr.php Hostname=quendra-update-fault.invalid",
          "POPULATE"},
         kInfoLimit},
        {"ConnectionRefused",
         {},
         closed + "/update-qndr.php",
         {"OnHostUnreachable URL=" + closed + "/update-qndr.php Hostname=127.0.0.1", "POPULATE"},
         kInfoLimit},
        {"ResetBeforeTheReply",
         {{"/update-qndr.php", Reply(ServerReply::Reset(""))}},
         info,
         {unreachable, "POPULATE"},
         kInfoLimit},
        {"ResetMidBody",
         {{"/update-qndr.php",
           Reply(ServerReply::Reset(kInfoReply.substr(0, kInfoReply.size() - 9)))}},
         info,
         {lost, "POPULATE"},
         kInfoLimit},
        {"BodyNeverEnds",
         {{"/update-qndr.php", Reply(Endless("HTTP/1.1 200 OK"))}},
         info,
         {lost, "POPULATE"},
         kInfoLimit},
        {"OneByteASecond",
         {{"/update-qndr.php", Reply(OneByteASecond(kInfoReply))}},
         info,
         {unreachable, "POPULATE"},
         kInfoLimit},
        {"OversizedReply",
         {{"/update-qndr.php",
           Reply(ServerReply("HTTP/1.1 200 OK\r\n\r\n" + kInfo + std::string(17 << 20, ' ')))}},
         info,
         {lost, "POPULATE"},
         kInfoLimit},
        // The transfer follows at most 10 redirects; the 11th ends it without any status.
        {"FifteenRedirects", RedirectChain(15), info, {unreachable, "POPULATE"}, kInfoLimit},
        {"RedirectLoop",
         {{"/update-qndr.php", Redirect("/update-qndr.php")}},
         info,
         {unreachable, "POPULATE"},
         kInfoLimit},
        {"ListResetMidBody",
         ListAnswers(ServerReply::Reset("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nhttp://x/")),
         info,
         {lost, "POPULATE"},
         kFileLimit},
        {"ListNeverEnds",
         ListAnswers(Endless("HTTP/1.1 200 OK")),
         info,
         {lost, "POPULATE"},
         kFileLimit},
        {"ListOversized",
         ListAnswers(ServerReply("HTTP/1.1 200 OK\r\n\r\n" + std::string((1 << 20) + 1, 'x'))),
         info,
         {lost, "POPULATE"},
         kFileLimit},
    };
}

std::string Replace(std::string text, const std::string& what, const std::string& with) {
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

class CheckUpdateFault : public testing::TestWithParam<Row> {
protected:
    std::vector<std::string> LeftBehind() const {
        auto names = folders_.LeftIn("app");
        for (auto& name : folders_.LeftIn("tmp"))
            names.push_back("tmp/" + name);
        return names;
    }

    CheckFolders folders_;
};

TEST_P(CheckUpdateFault, EndsInOneEventWithinTheLimitAndLeavesNoFile) {
    const Row& row = GetParam();
    S service(row.service);
    const std::string infoUrl = Replace(row.infoUrl, "{base}", service.Base());

    std::ostringstream out;
    const auto start = Clock::now();
    EXPECT_EQ(RunCheckUpdate(out, u"1.0.0.0", Utf8ToUtf16(infoUrl), folders_.Environment()), 0);
    const auto elapsed = Clock::now() - start;
    std::cout << "[ fault    ] " << row.name << ": "
              << std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() << " ms\n"
              << out.str();

    Lines lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    Lines tail;
    for (const auto& line : row.tail)
        tail.push_back(Replace(line, "{base}", service.Base()));
    ASSERT_GE(lines.size(), tail.size());
    EXPECT_EQ(Lines(lines.end() - static_cast<long>(tail.size()), lines.end()), tail);
    for (const auto& line : lines)
        EXPECT_NE(line.rfind("OPEN", 0), 0u) << line;
    EXPECT_LT(elapsed, row.limit + kSlack);
    EXPECT_TRUE(LeftBehind().empty()) << LeftBehind().front();
}

INSTANTIATE_TEST_SUITE_P(Network, CheckUpdateFault, testing::ValuesIn(Rows()),
                         [](const testing::TestParamInfo<Row>& info) { return info.param.name; });

}  // namespace
