#pragma once

// Which proxy, if any, a transfer to an address goes through.

#include <optional>
#include <string_view>

#include "net/HostAddress.h"
#include "net/HttpAddress.h"
#include "net/HttpTransfer.h"

namespace quendra {

struct ProxyRoute {
    HostAddress proxy;
    std::string username;  // Basic proxy credentials when both are set
    std::string password;
};

// The proxy for `target` under `settings`, or nothing for a direct connection. Environment
// mode takes https_proxy for https and http_proxy otherwise ("http://host:port", "host:port"
// or "host"; port 1080 when none), and no_proxy ("*" for every host; entries separated by
// "," or blanks; an entry matches that host and the names ending in "." + entry; a leading
// "." is ignored). Named mode bypasses the hosts of `settings.bypass`.
std::optional<ProxyRoute> ChooseProxy(const TransferProxy& settings, const HttpAddress& target);

// Whether `host` matches one entry of a bypass list (see TransferProxy::bypass).
bool MatchesBypassList(std::string_view list, std::string_view host);

}  // namespace quendra
