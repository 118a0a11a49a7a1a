#include "service/ServiceCommand.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace quendra;

std::variant<ServiceCommand, std::string> Parse(std::vector<const char*> args) {
    return ParseServiceCommand(args);
}

TEST(ServiceCommandLine, ReadsEveryOption) {
    const auto parsed =
        Parse({"--catalogue", "c.json", "--release=r.json", "--bind", "::1", "--port", "0",
               "--threads=3", "--max-connections", "10", "--exit-after", "5"});
    ASSERT_TRUE(std::holds_alternative<ServiceCommand>(parsed)) << std::get<std::string>(parsed);
    const auto& command = std::get<ServiceCommand>(parsed);
    EXPECT_EQ(command.catalogue, "c.json");
    EXPECT_EQ(command.release, "r.json");
    EXPECT_EQ(command.server.bind, "::1");
    EXPECT_EQ(command.server.port, 0);
    EXPECT_EQ(command.server.threads, 3u);
    EXPECT_EQ(command.server.limits.maxConnections, 10u);
    EXPECT_EQ(command.exitAfter, std::chrono::seconds(5));

    const auto defaults = Parse({"--catalogue", "c", "--release", "r"});
    EXPECT_EQ(std::get<ServiceCommand>(defaults).server.bind, "127.0.0.1");
    EXPECT_EQ(std::get<ServiceCommand>(defaults).server.port, 8080);
    EXPECT_TRUE(std::get<ServiceCommand>(Parse({"--help"})).help);
    EXPECT_TRUE(std::get<ServiceCommand>(Parse({"--version"})).version);
}

TEST(ServiceCommandLine, NamesWhatIsWrong) {
    const struct {
        std::vector<const char*> args;
        std::string error;
    } cases[] = {
        {{}, "--catalogue and --release are needed"},
        {{"--catalogue", "c"}, "--catalogue and --release are needed"},
        {{"--catalogue", "c", "--release", "r", "--verbose"}, "unknown argument --verbose"},
        {{"--catalogue", "c", "--release"}, "missing value after --release"},
        {{"--catalogue", "c", "--release", "r", "--port", "65536"}, "--port: 65536"},
        {{"--catalogue", "c", "--release", "r", "--port", "8o"}, "--port: 8o"},
        {{"--catalogue", "c", "--release", "r", "--threads", "0"}, "--threads: 0"},
        {{"--catalogue", "c", "--release", "r", "--exit-after=-1"}, "--exit-after: -1"},
        {{"c.json"}, "unknown argument c.json"},
    };
    for (const auto& c : cases) {
        const auto parsed = Parse(c.args);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << c.error;
        EXPECT_NE(std::get<std::string>(parsed).find(c.error), std::string::npos)
            << std::get<std::string>(parsed);
    }
}

}  // namespace
