#pragma once

// An address split the way the transfer engine needs it: scheme, host, port, user, password,
// path and the query ("extra") part, with escape sequences decoded.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quendra {

struct UrlParts {
    std::string scheme;  // lower case: "http", "https", "file", ...
    std::string host;
    std::uint16_t port = 0;  // the scheme's own port when the address names none
    std::string user;
    std::string password;
    std::string path;   // begins with "/" for http and https; decoded
    std::string extra;  // the query with its "?", decoded; empty when there is none
};

// Splits "scheme://[user[:password]@]host[:port][/path][?query][#fragment]" and decodes
// "%XX" escapes in user, password, path and extra. Nothing when the address has no
// "scheme://", a port that is not a number from 1 to 65535, or a part longer than the
// limits 32 (scheme), 256 (host), 128 (user, password), 2048 (path, extra). A "file"
// address keeps everything after "file://" as its path.
std::optional<UrlParts> CrackUrl(std::string_view url);

// "%XX" becomes its byte; a "%" without two hex digits stays as it is.
std::string PercentDecode(std::string_view text);

}  // namespace quendra
