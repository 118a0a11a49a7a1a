#include "app/WindowCommandLine.h"

#include <array>
#include <string>
#include <variant>

#include "util/CommandLine.h"

namespace quendra {

namespace {

constexpr std::string_view kProgram = "quendra";

constexpr std::array kOptions{
    CommandOption{"--help", "-h", "", "show this help and exit"},
    CommandOption{"--version", "", "", "show the version and exit"},
};

}  // namespace

std::optional<int> AnswerWindowCommandLine(std::span<const char* const> args, std::ostream& out,
                                           std::ostream& err) {
    const auto parsed = ParseCommandLine(args, kOptions);
    if (const auto* reason = std::get_if<std::string>(&parsed)) {
        err << UsageErrorText(kProgram, *reason);
        return 2;
    }
    const CommandLine& line = std::get<CommandLine>(parsed);
    if (line.Has("--help")) {
        out << UsageText(kProgram, "[--help | --version]",
                         "Shows the optical drives of this computer and opens the firmware and\n"
                         "driver update pages of the one you choose. quendra-probe prints the\n"
                         "same facts as text or JSON.",
                         kOptions);
        return 0;
    }
    if (line.Has("--version")) {
        out << VersionText(kProgram);
        return 0;
    }
    return std::nullopt;
}

}  // namespace quendra
