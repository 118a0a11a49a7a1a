#pragma once

// The pieces every connection of `net/` is made of: a private io_context run one step at a
// time with a deadline (and a cancel from any thread), and a TCP connection made endpoint by
// endpoint on close-on-exec sockets. Only `net/` and its tests include this header.

#include <atomic>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "net/HostAddress.h"
#include "net/HttpMessage.h"
#include "net/NameLookup.h"

namespace quendra::detail {

using Clock = std::chrono::steady_clock;

class StepRunner {
public:
    explicit StepRunner(boost::asio::io_context& ioc) : ioc_(ioc) {}

    enum class Outcome { Done, TimedOut, Cancelled };

    // Calls `start`, which begins one asynchronous operation whose handler sets `finished`,
    // and runs the context until then, until `deadline`, or until Cancel. On a time-out or a
    // cancel `abort` runs (it closes the socket) and the context runs on until the handler
    // has run, so nothing refers to the caller's state afterwards.
    Outcome Run(const std::function<void()>& start, const bool& finished,
                Clock::time_point deadline, const std::function<void()>& abort);

    // Any thread, any time: the running step and every later one end as Cancelled.
    void Cancel();
    bool Cancelled() const { return cancelled_; }

private:
    boost::asio::io_context& ioc_;
    std::atomic<bool> cancelled_{false};
};

// Stages of making a connection, for progress reports.
enum class ConnectStage { ResolvingName, NameResolved, Connecting, Connected };

// Resolves `server` (numeric addresses at once) and connects `socket` to its addresses one
// after another until one answers, all before `deadline`. Every socket is opened
// close-on-exec. Failures: Resolve, Connect ("Cannot connect to <peer>: <cause>"),
// ConnectTimeout (message empty: the caller names its limit), Cancelled.
std::optional<HttpFailure> ConnectTcp(
    StepRunner& runner, NameLookup& lookup, boost::asio::ip::tcp::socket& socket,
    const HostAddress& server, Clock::time_point deadline,
    const std::function<void(ConnectStage, const std::string&)>& onStage = {});

}  // namespace quendra::detail
