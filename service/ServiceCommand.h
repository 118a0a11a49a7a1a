#pragma once

// quendra-service's command line.

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "service/Server.h"

namespace quendra {

struct ServiceCommand {
    bool help = false;
    bool version = false;
    std::string catalogue;
    std::string release;
    ServerOptions server;
    // Ends the service after this long (demos and tests); nothing: runs until a signal.
    std::optional<std::chrono::seconds> exitAfter;
};

// Parses the arguments (the program name left out). Options take their value as the next
// argument or after "=". Failure: a one-line reason.
std::variant<ServiceCommand, std::string> ParseServiceCommand(std::span<const char* const> args);

extern const std::string_view kServiceUsage;

}  // namespace quendra
