#pragma once

// Where the program's two services live: the data host (lookup service, download page)
// and the update host. Each is the build's configured host unless the environment names
// another one ("host" or "host:port"), which tests and local mirrors use.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quendra {

struct HostAddress {
    std::string host;  // a name or an address; an IPv6 address without brackets
    std::uint16_t port = 80;

    friend bool operator==(const HostAddress&, const HostAddress&) = default;
};

// Parses "host", "host:port", "[v6]" or "[v6]:port". Nothing for an empty host, a host with
// characters no host name has, or a port that is not a number from 1 to 65535.
std::optional<HostAddress> ParseHostAddress(std::string_view text);

// "host" on the scheme's own port (80 for plain HTTP), "host:port" otherwise, IPv6
// addresses in brackets: the Host field of a request and the way messages name a server.
std::string HostFieldValue(const HostAddress& address, std::uint16_t ownPort = 80);

// `QUENDRA_DATA_HOST` from the environment when it is set and valid, else the build's host.
HostAddress DataHost();
// `QUENDRA_UPDATE_HOST` from the environment when it is set and valid, else the build's host.
HostAddress UpdateHost();

// The product download page on the data host.
inline constexpr std::string_view kDownloadPagePath = "/qndr-vextrel-download.php";
// "http://<data host>/qndr-vextrel-download.php".
std::string DownloadPageAddress(const HostAddress& dataHost);

}  // namespace quendra
