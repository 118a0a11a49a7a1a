#pragma once

// A small HTTP server on 127.0.0.1 for tests and benchmarks. It listens on a free port,
// records every request byte for byte, answers each with the bytes its handler gives, and
// stops when destroyed or, at the latest, when its lifetime ends.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quendra {

struct RecordedRequest {
    std::string bytes;  // everything the client sent: head, empty line and body
    std::string head;   // request line and fields, up to and including the empty line
    std::string body;   // as long as its Content-Length says

    std::string RequestLine() const { return head.substr(0, head.find("\r\n")); }
    // The value of the first field of that name (letter case ignored), or "".
    std::string Field(std::string_view name) const;
};

struct ServerReply {
    explicit ServerReply(std::string bytes = {}, std::string repeat = {},
                         std::chrono::milliseconds every = {})
        : bytes(std::move(bytes)), repeat(std::move(repeat)), every(every) {}

    std::string bytes;  // written as they are, then the connection is closed
    // When set, the connection stays open after `bytes` and gets `repeat` once per
    // `every` for as long as the client reads: a reply that never ends.
    std::string repeat;
    std::chrono::milliseconds every;
    // Keeps the connection open after `bytes` without writing anything more.
    bool holdOpen = false;
    // Written after `bytes`, one by one, each after a pause of `pause`.
    std::vector<std::string> then;
    std::chrono::milliseconds pause{20};
    // Ends the connection with a reset (RST) instead of an orderly close.
    bool reset = false;

    // A complete reply with a Content-Length, the given extra fields first.
    static ServerReply Text(unsigned status, std::string_view reason, std::string_view body,
                            const std::vector<std::pair<std::string, std::string>>& fields = {});
    // `bytes`, then a reset.
    static ServerReply Reset(std::string bytes);
};

// A port that was free a moment ago on 127.0.0.1 (nothing listens there).
std::uint16_t FreePort();

class LoopbackHttpServer {
public:
    // Called on the server's own thread with each request and its number (from 0).
    using Handler = std::function<ServerReply(const RecordedRequest&, std::size_t index)>;

    explicit LoopbackHttpServer(Handler handler,
                                std::chrono::seconds lifetime = std::chrono::seconds(45));
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    std::uint16_t port() const;
    std::vector<RecordedRequest> requests() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace quendra
