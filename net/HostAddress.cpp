#include "net/HostAddress.h"

#include <charconv>
#include <cstdlib>

namespace quendra {

namespace {

bool IsHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '%';
}

bool IsV6Char(char c) {
    return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == ':' ||
           c == '.';
}

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    unsigned value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

HostAddress FromEnvironment(const char* variable, std::string_view built) {
    if (const char* value = std::getenv(variable); value != nullptr && *value != '\0') {
        if (auto parsed = ParseHostAddress(value))
            return *parsed;
    }
    if (auto parsed = ParseHostAddress(built))
        return *parsed;
    return HostAddress{std::string(built), 80};
}

}  // namespace

std::optional<HostAddress> ParseHostAddress(std::string_view text) {
    HostAddress result;
    std::string_view rest;
    if (text.starts_with('[')) {
        const auto close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        const auto host = text.substr(1, close - 1);
        if (host.empty())
            return std::nullopt;
        for (const char c : host) {
            if (!IsV6Char(c))
                return std::nullopt;
        }
        result.host = std::string(host);
        rest = text.substr(close + 1);
    } else {
        const auto colon = text.find(':');
        const auto host = text.substr(0, colon);
        if (host.empty())
            return std::nullopt;
        for (const char c : host) {
            if (!IsHostChar(c))
                return std::nullopt;
        }
        result.host = std::string(host);
        rest = colon == std::string_view::npos ? std::string_view{} : text.substr(colon);
    }
    if (!rest.empty()) {
        if (rest.front() != ':')
            return std::nullopt;
        const auto port = ParsePort(rest.substr(1));
        if (!port)
            return std::nullopt;
        result.port = *port;
    }
    return result;
}

std::string HostFieldValue(const HostAddress& address, std::uint16_t ownPort) {
    const bool v6 = address.host.find(':') != std::string::npos;
    std::string value;
    if (v6)
        value += '[';
    value += address.host;
    if (v6)
        value += ']';
    if (address.port != ownPort) {
        value += ':';
        value += std::to_string(address.port);
    }
    return value;
}

HostAddress DataHost() {
    return FromEnvironment("QUENDRA_DATA_HOST", QUENDRA_BUILD_DATA_HOST);
}

HostAddress UpdateHost() {
    return FromEnvironment("QUENDRA_UPDATE_HOST", QUENDRA_BUILD_UPDATE_HOST);
}

std::string DownloadPageAddress(const HostAddress& dataHost) {
    return "http://" + HostFieldValue(dataHost) + std::string(kDownloadPagePath);
}

}  // namespace quendra
