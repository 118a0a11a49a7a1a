#include "service/RequestLog.h"

#include <cstdio>

namespace quendra {

namespace {

std::string UtcTime(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto day = floor<days>(when);
    const year_month_day date{day};
    const hh_mm_ss time{floor<milliseconds>(when - day)};
    char text[32];
    std::snprintf(
        text, sizeof text, "%04d-%02u-%02uT%02ld:%02ld:%02ld.%03ldZ", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<long>(time.hours().count()), static_cast<long>(time.minutes().count()),
        static_cast<long>(time.seconds().count()), static_cast<long>(time.subseconds().count()));
    return text;
}

std::string Printable(std::string_view text, std::size_t limit) {
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    if (text.size() > limit)
        out += "...";
    return out;
}

}  // namespace

std::string RequestLine(std::chrono::system_clock::time_point when, const RequestRecord& record) {
    char took[32];
    std::snprintf(took, sizeof took, "%.2fms", static_cast<double>(record.took.count()) / 1000.0);
    std::string line = UtcTime(when) + " " + record.peer + " \"" + Printable(record.method, 16) +
                       " " + Printable(record.target, 200) + "\" " + std::to_string(record.status) +
                       " " + std::to_string(record.bytes) + " " + took;
    if (!record.note.empty())
        line += " " + record.note;
    return line;
}

void RequestLog::Request(const RequestRecord& record) {
    const std::string line = RequestLine(std::chrono::system_clock::now(), record);
    std::lock_guard lock(mutex_);
    out_ << line << '\n' << std::flush;
    ++requests_;
}

std::size_t RequestLog::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void RequestLog::Event(std::string_view text) {
    Write(UtcTime(std::chrono::system_clock::now()) + " " + std::string(text));
}

void RequestLog::Write(const std::string& line) {
    std::lock_guard lock(mutex_);
    out_ << line << '\n' << std::flush;
}

}  // namespace quendra
