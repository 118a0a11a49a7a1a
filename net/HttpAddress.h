#pragma once

// Web addresses as HTTP needs them: scheme, server and request target, and the address a
// redirect's Location names relative to the address that answered.

#include <optional>
#include <string>
#include <string_view>

#include "net/HostAddress.h"

namespace quendra {

struct HttpAddress {
    std::string scheme = "http";  // lower case
    HostAddress server;           // without an explicit port: 80 for http, 443 for https
    std::string target = "/";     // path and query; never empty; no fragment

    friend bool operator==(const HttpAddress&, const HttpAddress&) = default;
};

// Parses an absolute address "scheme://[user@]host[:port][/path][?query][#fragment]".
// Nothing when there is no scheme, no host, or a malformed host or port.
std::optional<HttpAddress> ParseHttpAddress(std::string_view text);

// The address a Location value names: absolute, scheme-relative ("//host/path"),
// path-absolute ("/path"), a query ("?q") or a relative path, resolved against `base`
// with "." and ".." segments removed. Spaces and bytes outside printable ASCII in the
// path are percent-encoded. Nothing when the value cannot be read as an address.
std::optional<HttpAddress> ResolveLocation(const HttpAddress& base, std::string_view location);

// "http://host[:port]/target", the port shown only when it is not the scheme's own.
std::string AddressText(const HttpAddress& address);

}  // namespace quendra
