#include "net/HttpMessage.h"

#include "util/TextRules.h"

namespace quendra {

std::string HttpReply::StatusLine() const {
    std::string line = "HTTP/" + std::to_string(version / 10) + "." + std::to_string(version % 10) +
                       " " + std::to_string(status);
    if (!reason.empty())
        line += " " + reason;
    return line;
}

std::optional<std::string> HttpReply::Field(std::string_view name) const {
    for (const auto& [fieldName, value] : fields) {
        if (EqualsNoCase(fieldName, name))
            return value;
    }
    return std::nullopt;
}

std::string DescribeLimit(std::chrono::milliseconds limit) {
    const auto ms = limit.count();
    if (ms % 1000 == 0)
        return std::to_string(ms / 1000) + " s";
    return std::to_string(ms) + " ms";
}

}  // namespace quendra
