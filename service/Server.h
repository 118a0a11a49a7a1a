#pragma once

// The HTTP server: Boost.Beast, asynchronous, one io_context and one thread per core. One
// acceptor hands the connections round the io_contexts; a connection stays on the one it
// got, so its handlers never run on two threads. HTTP/1.1 keep-alive is honoured.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "service/RequestLog.h"
#include "service/Routes.h"

namespace quendra {

struct ServerLimits {
    // Open connections at once; a connection past it is closed at once and logged.
    std::size_t maxConnections = 1024;
    // Request line and header fields; past it: 431.
    std::size_t maxHeaderBytes = 8 * 1024;
    // Request body (a report is about 2 KiB); past it: 413.
    std::size_t maxBodyBytes = 64 * 1024;
    // From the first byte awaited (on a kept-alive connection: from the end of the previous
    // reply) until the reply is written; past it the connection is closed.
    std::chrono::milliseconds requestTime{std::chrono::seconds(10)};
};

struct ServerOptions {
    std::string bind = "127.0.0.1";
    std::uint16_t port = 0;  // 0: a free port
    unsigned threads = 0;    // 0: one per core
    ServerLimits limits;
    // Run once a second on the first thread (the check for changed files).
    std::function<void()> everySecond;
};

using RequestHandler = std::function<ServiceReply(const ServiceRequest&)>;

class ServiceServer {
public:
    // Binds and starts serving. Throws std::runtime_error when the address cannot be bound.
    // The handler runs on any of the threads, concurrently; it must not throw (a throw
    // becomes a 500 reply).
    ServiceServer(const ServerOptions& options, RequestHandler handler, RequestLog& log);
    // Stops accepting, drops every connection and joins the threads.
    ~ServiceServer();
    ServiceServer(const ServiceServer&) = delete;
    ServiceServer& operator=(const ServiceServer&) = delete;

    std::uint16_t port() const;
    unsigned threads() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace quendra
