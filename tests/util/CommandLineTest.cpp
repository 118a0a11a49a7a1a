#include <gtest/gtest.h>

#include <array>
#include <string>
#include <variant>
#include <vector>

#include "util/CommandLine.h"

namespace {

using namespace quendra;

constexpr std::array kOptions{
    CommandOption{"--lookup", "", "N", "post drive N's report"},
    CommandOption{"--json", "", "", "one JSON document"},
    CommandOption{"--help", "-h", "", "show this help and exit"},
};

std::variant<CommandLine, std::string> Parse(std::vector<const char*> args) {
    return ParseCommandLine(args, kOptions);
}

TEST(CommandLine, OptionsValuesAndOperands) {
    struct Case {
        std::vector<const char*> args;
        std::vector<std::pair<std::string_view, std::string>> options;
        std::vector<std::string> operands;
    };
    const Case cases[] = {
        {{}, {}, {}},
        {{"--json"}, {{"--json", ""}}, {}},
        {{"-h"}, {{"--help", ""}}, {}},
        {{"--lookup", "2"}, {{"--lookup", "2"}}, {}},
        {{"--lookup=2", "--json"}, {{"--lookup", "2"}, {"--json", ""}}, {}},
        {{"--lookup", "-1"}, {{"--lookup", "-1"}}, {}},  // a value may begin with "-"
        {{"--lookup="}, {{"--lookup", ""}}, {}},
        // The window's restart parameter is an operand, wherever it stands.
        {{"/afterupgrade", "--json", "x"}, {{"--json", ""}}, {"/afterupgrade", "x"}},
        {{"--json", "--", "--help", "-h"}, {{"--json", ""}}, {"--help", "-h"}},
    };
    for (const Case& c : cases) {
        const auto parsed = Parse(c.args);
        ASSERT_TRUE(std::holds_alternative<CommandLine>(parsed)) << std::get<std::string>(parsed);
        const CommandLine& line = std::get<CommandLine>(parsed);
        EXPECT_EQ(line.options, c.options);
        EXPECT_EQ(line.operands, c.operands);
    }
}

TEST(CommandLine, UsageErrorsNameTheArgument) {
    struct Case {
        std::vector<const char*> args;
        std::string reason;
    };
    const Case cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--bogus=1"}, "unknown option '--bogus'"},
        {{"/afterupgrade", "-x"}, "unknown option '-x'"},
        {{"-"}, "unknown option '-'"},
        {{"--help=yes"}, "option '--help' takes no value"},
        {{"--lookup"}, "option '--lookup' needs a value (N)"},
    };
    for (const Case& c : cases) {
        const auto parsed = Parse(c.args);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << c.reason;
        EXPECT_EQ(std::get<std::string>(parsed), c.reason);
    }
}

TEST(CommandLine, ValueOfTheLastOccurrence) {
    const auto parsed = Parse({"--lookup", "1", "--lookup=3"});
    const CommandLine& line = std::get<CommandLine>(parsed);
    ASSERT_NE(line.Value("--lookup"), nullptr);
    EXPECT_EQ(*line.Value("--lookup"), "3");
    EXPECT_FALSE(line.Has("--json"));
}

TEST(CommandLine, TextsMadeFromTheTable) {
    EXPECT_EQ(UsageText("quendra-probe", "[OPTION]...", "Prints facts.", kOptions),
              "usage: quendra-probe [OPTION]...\n"
              "Prints facts.\n"
              "\n"
              "  --lookup N  post drive N's report\n"
              "  --json      one JSON document\n"
              "  -h, --help  show this help and exit\n");
    EXPECT_EQ(UsageErrorText("quendra", "unknown option '--x'"),
              "quendra: unknown option '--x'\n"
              "Try 'quendra --help'.\n");
}

}  // namespace
