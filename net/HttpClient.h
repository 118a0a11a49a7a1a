#pragma once

// Plain HTTP exchanges: one request on a new connection, one reply read in full.

#include <chrono>

#include "net/HostAddress.h"
#include "net/HttpMessage.h"

namespace quendra {

// Connects to `server` (name resolution included, within `limits.connect`), sends the
// request exactly as given and reads the whole reply, all within `limits.exchange`, reading
// at most `limits.maxReplyBytes` of body. Any reply status counts as a reply; failures are
// the connection's and the protocol's only. Closes the connection before returning.
HttpResult HttpExchange(const HostAddress& server, const HttpRequest& request,
                        const HttpLimits& limits = {});

// The same, but ending at `deadline` at the latest: for a series of exchanges that share
// one time limit. Messages name `limits.exchange` as that limit.
HttpResult HttpExchange(const HostAddress& server, const HttpRequest& request,
                        const HttpLimits& limits, std::chrono::steady_clock::time_point deadline);

}  // namespace quendra
