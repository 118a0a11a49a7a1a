#pragma once

// Name resolution with a time limit and a cancel. The system resolver cannot be
// interrupted, so a name that is not a numeric address is looked up on a thread of its own;
// the caller stops waiting at the deadline or on Cancel, and the thread ends on its own
// later, touching nothing but the state it shares with the lookup.

#include <boost/asio/ip/tcp.hpp>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "net/HostAddress.h"
#include "net/HttpMessage.h"

namespace quendra::detail {

struct Resolution {
    boost::asio::ip::tcp::resolver::results_type endpoints;
    // Resolve for an unknown name; ConnectTimeout at the deadline (the caller words it);
    // Cancelled after Cancel.
    std::optional<HttpFailure> failure;
};

class NameLookup {
public:
    using Clock = std::chrono::steady_clock;

    Resolution Run(const HostAddress& server, Clock::time_point deadline);
    // Any thread: a waiting Run returns at once, and every later one too.
    void Cancel();

private:
    struct Pending;
    std::mutex mutex_;
    std::shared_ptr<Pending> pending_;
    bool cancelled_ = false;
};

}  // namespace quendra::detail
