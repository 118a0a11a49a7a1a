#pragma once

// The lookup exchange's own types: where the service lives, its limits, how a failure is
// told, and what receives the addresses of a reply.

#include <functional>
#include <string>

#include "net/HostAddress.h"
#include "net/HttpMessage.h"

namespace quendra {

struct LookupEndpoint {
    HostAddress host;
    std::string path = "/quendra/quendra.php";
};

// The lookup service on the data host (see DataHost()).
LookupEndpoint DefaultLookupEndpoint();

// Connect 30 s (name resolution included), whole exchange 60 s (all redirects included),
// at most 4 MiB of reply body.
using LookupLimits = HttpLimits;

using DocumentOpener = std::function<void(const std::u16string&)>;

struct LookupFailure {
    // The reply's status line for an unsuccessful status, else the cause in words.
    std::u16string message;
    long long number = 0;
};

// "<message> NUMBER : <number>", the text the window shows for a failure.
std::u16string FailureText(const LookupFailure& failure);

}  // namespace quendra
