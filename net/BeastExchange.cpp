#include "net/BeastExchange.h"

#include <boost/beast/core/error.hpp>

namespace quendra::detail {

http::request<http::string_body> ToBeastRequest(const HttpRequest& request) {
    http::request<http::string_body> wire;
    if (const auto verb = http::string_to_verb(request.method); verb != http::verb::unknown) {
        wire.method(verb);
    } else {
        wire.method_string(request.method);
    }
    wire.target(request.target);
    wire.version(request.version);
    for (const auto& [name, value] : request.fields)
        wire.insert(name, value);
    wire.body() = request.body;
    return wire;
}

HttpReply FromBeastReply(http::response<http::string_body>&& reply) {
    HttpReply result;
    result.version = reply.version();
    result.status = reply.result_int();
    result.reason = std::string(reply.reason());
    for (const auto& field : reply) {
        result.fields.emplace_back(std::string(field.name_string()), std::string(field.value()));
    }
    result.body = std::move(reply.body());
    return result;
}

HttpFailure DescribeExchangeError(beast::error_code ec, const std::string& peer,
                                  const HttpLimits& limits) {
    if (ec == beast::error::timeout) {
        return {HttpFailureKind::Timeout,
                "No complete reply from " + peer + " within " + DescribeLimit(limits.exchange)};
    }
    if (ec == http::error::body_limit || ec == http::error::header_limit ||
        ec == http::error::buffer_overflow) {
        return {HttpFailureKind::TooLarge, "The reply from " + peer + " is larger than " +
                                               std::to_string(limits.maxReplyBytes) + " bytes"};
    }
    if (ec == http::error::end_of_stream) {
        return {HttpFailureKind::Transfer, peer + " closed the connection without a reply"};
    }
    if (ec == http::error::partial_message) {
        return {HttpFailureKind::Transfer,
                peer + " closed the connection before the reply was complete"};
    }
    if (ec.category() == http::make_error_code(http::error::end_of_stream).category()) {
        return {HttpFailureKind::Protocol,
                "The reply from " + peer + " is not valid HTTP (" + ec.message() + ")"};
    }
    return {HttpFailureKind::Transfer, "The exchange with " + peer + " failed: " + ec.message()};
}

}  // namespace quendra::detail
