#include "update/UrlParts.h"

#include <charconv>

#include "util/TextRules.h"

namespace quendra {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string PercentDecode(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

namespace {

std::uint16_t DefaultPort(std::string_view scheme) {
    if (scheme == "https")
        return 443;
    if (scheme == "ftp")
        return 21;
    return 80;
}

}  // namespace

std::optional<UrlParts> CrackUrl(std::string_view url) {
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos || schemeEnd == 0 || schemeEnd > 32)
        return std::nullopt;
    UrlParts parts;
    parts.scheme = AsciiLower(url.substr(0, schemeEnd));
    auto rest = url.substr(schemeEnd + 3);
    rest = rest.substr(0, rest.find('#'));

    if (parts.scheme == "file") {
        parts.path = PercentDecode(rest);
        if (parts.path.size() > 2048)
            return std::nullopt;
        return parts;
    }

    const auto authorityEnd = rest.find_first_of("/?");
    auto authority = rest.substr(0, authorityEnd);
    const auto target =
        authorityEnd == std::string_view::npos ? std::string_view{} : rest.substr(authorityEnd);

    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        const auto credentials = authority.substr(0, at);
        const auto colon = credentials.find(':');
        parts.user = PercentDecode(credentials.substr(0, colon));
        if (colon != std::string_view::npos)
            parts.password = PercentDecode(credentials.substr(colon + 1));
        authority.remove_prefix(at + 1);
    }

    std::string_view host = authority;
    std::string_view port;
    if (authority.starts_with('[')) {
        const auto close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = authority.substr(1, close - 1);
        const auto after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                return std::nullopt;
            port = after.substr(1);
        }
    } else if (const auto colon = authority.rfind(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    parts.host = std::string(host);
    parts.port = DefaultPort(parts.scheme);
    if (!port.empty()) {
        unsigned value = 0;
        const auto [ptr, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (ec != std::errc{} || ptr != port.data() + port.size() || value == 0 || value > 65535)
            return std::nullopt;
        parts.port = static_cast<std::uint16_t>(value);
    }

    const auto query = target.find('?');
    parts.path = PercentDecode(target.substr(0, query));
    if (query != std::string_view::npos)
        parts.extra = PercentDecode(target.substr(query));
    if (parts.path.empty())
        parts.path.push_back('/');  // assigning a literal trips a false -Wrestrict at -O3

    if (parts.host.size() > 256 || parts.user.size() > 128 || parts.password.size() > 128 ||
        parts.path.size() > 2048 || parts.extra.size() > 2048) {
        return std::nullopt;
    }
    return parts;
}

}  // namespace quendra
