#pragma once

// The service's log: one line per request (never anything of the report) and one per
// event (start, reload, refused connection), each begun with the UTC time. Lines from
// several threads never mix.

#include <chrono>
#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace quendra {

struct RequestRecord {
    std::string peer;  // "address:port"
    std::string method;
    std::string target;
    unsigned status = 0;    // 0: no reply was sent
    std::size_t bytes = 0;  // of the reply body
    std::chrono::microseconds took{};
    std::string note;
};

// `2026-12-10T14:20:26.123Z 127.0.0.1:41234 "POST /quendra/quendra.php" 200 312 0.84ms known`;
// bytes of the method and target outside printable ASCII (and " and \) are written \xHH,
// and the target is cut after 200 characters.
std::string RequestLine(std::chrono::system_clock::time_point when, const RequestRecord& record);

class RequestLog {
public:
    explicit RequestLog(std::ostream& out) : out_(out) {}

    void Request(const RequestRecord& record);
    void Event(std::string_view text);

    // How many request lines have been written so far.
    std::size_t Requests() const;

private:
    void Write(const std::string& line);

    mutable std::mutex mutex_;
    std::ostream& out_;
    std::size_t requests_ = 0;
};

}  // namespace quendra
