#include "service/ServiceCommand.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <limits>

namespace quendra {

const std::string_view kServiceUsage =
    "usage: quendra-service --catalogue FILE --release FILE [options]\n"
    "Answers the program's lookup and update requests: the pages of each drive from the\n"
    "catalogue, the update information file and URL list of the release. Both files are\n"
    "JSON and read again when they change.\n"
    "  --catalogue FILE        drives and their pages, the generic and download pages\n"
    "  --release FILE          the current release\n"
    "  --bind ADDRESS          address to listen on (default 127.0.0.1)\n"
    "  --port N                port to listen on; 0 takes a free one (default 8080)\n"
    "  --threads N             threads, each with its own event loop (default: one per core)\n"
    "  --max-connections N     open connections at once (default 1024)\n"
    "  --exit-after SECONDS    stop after this long (for demos and tests)\n"
    "  --help                  this text\n"
    "  --version               the version\n"
    "On start the service prints its address (http://ADDRESS:PORT) on standard output; it\n"
    "logs one line per request on standard error.\n";

namespace {

template <class Number>
bool ReadNumber(std::string_view text, Number low, Number high, Number& out) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < low || value > high)
        return false;
    out = value;
    return true;
}

}  // namespace

std::variant<ServiceCommand, std::string> ParseServiceCommand(std::span<const char* const> args) {
    ServiceCommand command;
    command.server.port = 8080;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view option = args[i];
        if (option == "--help" || option == "-h") {
            command.help = true;
            continue;
        }
        if (option == "--version") {
            command.version = true;
            continue;
        }
        const auto eq = option.find('=');
        const auto name = option.substr(0, eq);
        constexpr std::string_view kValued[] = {"--catalogue", "--release", "--bind",
                                                "--port",      "--threads", "--max-connections",
                                                "--exit-after"};
        if (std::find(std::begin(kValued), std::end(kValued), name) == std::end(kValued))
            return "unknown argument " + std::string(name);
        std::string_view value;
        if (eq != option.npos) {
            value = option.substr(eq + 1);
            option = name;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return "missing value after " + std::string(option);
        }

        bool valid = true;
        if (option == "--catalogue") {
            command.catalogue = value;
        } else if (option == "--release") {
            command.release = value;
        } else if (option == "--bind") {
            command.server.bind = value;
        } else if (option == "--port") {
            valid = ReadNumber<std::uint16_t>(value, 0, 65535, command.server.port);
        } else if (option == "--threads") {
            valid = ReadNumber<unsigned>(value, 1, 256, command.server.threads);
        } else if (option == "--max-connections") {
            valid =
                ReadNumber<std::size_t>(value, 1, 1'000'000, command.server.limits.maxConnections);
        } else {
            long seconds = 0;
            valid = ReadNumber<long>(value, 1, 7 * 24 * 3600, seconds);
            command.exitAfter = std::chrono::seconds(seconds);
        }
        if (!valid)
            return "not a valid value for " + std::string(option) + ": " + std::string(value);
    }
    if (!command.help && !command.version && (command.catalogue.empty() || command.release.empty()))
        return "--catalogue and --release are needed";
    return command;
}

}  // namespace quendra
