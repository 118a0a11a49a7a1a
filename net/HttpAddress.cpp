#include "net/HttpAddress.h"

#include <vector>

#include "util/TextRules.h"

namespace quendra {

namespace {

std::uint16_t DefaultPort(std::string_view scheme) {
    return scheme == "https" ? 443 : 80;
}

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Length of a leading "scheme:" (without the colon), or 0 when the text has none.
std::size_t SchemeLength(std::string_view text) {
    if (text.empty() || !IsAlpha(text.front()))
        return 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':')
            return i;
        if (!IsAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return 0;
    }
    return 0;
}

std::string_view StripFragment(std::string_view text) {
    return text.substr(0, text.find('#'));
}

// Percent-encodes what may not travel raw in a request line.
std::string CleanTarget(std::string_view target) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string clean;
    for (const char c : target) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F) {
            clean += '%';
            clean += kHex[b >> 4];
            clean += kHex[b & 0xF];
        } else {
            clean += c;
        }
    }
    return clean;
}

// Removes "." and ".." segments from a path that begins with "/".
std::string RemoveDotSegments(std::string_view path) {
    std::vector<std::string_view> segments;
    std::size_t pos = 1;
    bool endsInDirectory = false;
    while (pos <= path.size()) {
        const auto slash = path.find('/', pos);
        const auto end = slash == std::string_view::npos ? path.size() : slash;
        const auto segment = path.substr(pos, end - pos);
        const bool last = slash == std::string_view::npos;
        if (segment == ".") {
            endsInDirectory = last;
        } else if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
            endsInDirectory = last;
        } else {
            segments.push_back(segment);
            endsInDirectory = false;
        }
        pos = end + 1;
    }
    std::string result;
    for (const auto segment : segments) {
        result += '/';
        result += segment;
    }
    if (result.empty() || endsInDirectory)
        result += '/';
    return result;
}

// "path?query" with the dot segments of the path removed.
std::string NormalizeTarget(std::string_view target) {
    const auto query = target.find('?');
    const auto path = target.substr(0, query);
    std::string result = RemoveDotSegments(path.empty() ? "/" : path);
    if (query != std::string_view::npos)
        result += target.substr(query);
    return CleanTarget(result);
}

// Reads "//authority/rest" into `address` (scheme already set).
bool ReadAuthorityAndTarget(std::string_view text, HttpAddress& address) {
    if (!text.starts_with("//"))
        return false;
    text.remove_prefix(2);
    const auto end = text.find_first_of("/?");
    auto authority = text.substr(0, end);
    const auto target = end == std::string_view::npos ? std::string_view{} : text.substr(end);
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    // A port is present when a colon and digits follow the host (or a v6 host's bracket).
    const auto hostEnd = authority.starts_with('[') ? authority.find(']') : 0;
    if (hostEnd == std::string_view::npos)
        return false;
    const auto colon = authority.find(':', hostEnd);
    const bool explicitPort = colon != std::string_view::npos && colon + 1 < authority.size();
    if (colon != std::string_view::npos && !explicitPort)
        authority.remove_suffix(1);
    auto server = ParseHostAddress(authority);
    if (!server)
        return false;
    if (!explicitPort)
        server->port = DefaultPort(address.scheme);
    address.server = *server;
    std::string path(target.starts_with('?') ? "/" : "");
    path += target;
    address.target = NormalizeTarget(path);
    return true;
}

}  // namespace

std::optional<HttpAddress> ParseHttpAddress(std::string_view text) {
    text = StripFragment(text);
    const auto schemeLength = SchemeLength(text);
    if (schemeLength == 0)
        return std::nullopt;
    HttpAddress address;
    address.scheme = AsciiLower(text.substr(0, schemeLength));
    if (!ReadAuthorityAndTarget(text.substr(schemeLength + 1), address))
        return std::nullopt;
    return address;
}

std::optional<HttpAddress> ResolveLocation(const HttpAddress& base, std::string_view location) {
    location = StripFragment(location);
    if (SchemeLength(location) != 0)
        return ParseHttpAddress(location);

    HttpAddress address = base;
    if (location.starts_with("//")) {
        if (!ReadAuthorityAndTarget(location, address))
            return std::nullopt;
        return address;
    }
    const auto baseQuery = base.target.find('?');
    const std::string_view basePath = std::string_view(base.target).substr(0, baseQuery);
    if (location.empty()) {
        address.target = base.target;
    } else if (location.starts_with('/')) {
        address.target = NormalizeTarget(location);
    } else if (location.starts_with('?')) {
        address.target = NormalizeTarget(std::string(basePath) + std::string(location));
    } else {
        const auto directory = basePath.substr(0, basePath.rfind('/') + 1);
        address.target = NormalizeTarget(std::string(directory) + std::string(location));
    }
    return address;
}

std::string AddressText(const HttpAddress& address) {
    return address.scheme + "://" + HostFieldValue(address.server, DefaultPort(address.scheme)) +
           address.target;
}

}  // namespace quendra
