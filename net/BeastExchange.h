#pragma once

// The request and reply of one exchange on any connected Beast stream: a TCP stream in
// the client, an in-memory test stream in unit tests. Only `net/` and its tests include
// this header.

#include <boost/asio/io_context.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>
#include <cstdint>
#include <string>

#include "net/HttpMessage.h"

namespace quendra::detail {

namespace beast = boost::beast;
namespace http = boost::beast::http;

// Largest header block of a reply (status line and fields).
inline constexpr std::uint32_t kHeaderLimit = 64 * 1024;

// Request line and fields in the given order. Fields are inserted one by one; nothing is
// set or prepared afterwards, since that would add or move fields.
http::request<http::string_body> ToBeastRequest(const HttpRequest& request);

HttpReply FromBeastReply(http::response<http::string_body>&& reply);

// A failure message for an error of sending the request or reading the reply from `peer`.
HttpFailure DescribeExchangeError(beast::error_code ec, const std::string& peer,
                                  const HttpLimits& limits);

// Writes the request, then reads one reply of any framing (length, chunked, or ended by
// the close of the connection), running `ioc` until both are done. Time limits are the
// stream's own (a TCP stream's expiry); the reply size limit is `limits.maxReplyBytes`.
template <class Stream>
HttpResult SendAndReceive(boost::asio::io_context& ioc, Stream& stream, const HttpRequest& request,
                          const HttpLimits& limits, const std::string& peer) {
    const auto wireRequest = ToBeastRequest(request);
    http::response_parser<http::string_body> parser;
    parser.body_limit(static_cast<std::uint64_t>(limits.maxReplyBytes));
    parser.header_limit(kHeaderLimit);
    beast::flat_buffer buffer;
    beast::error_code result;

    auto readBody = [&](beast::error_code ec, std::size_t) {
        // A declared length over the cap fails before any body byte is read (this
        // version of the parser checks its limit only for chunked and close-delimited bodies).
        if (!ec && parser.content_length() && *parser.content_length() > limits.maxReplyBytes) {
            ec = http::error::body_limit;
        }
        if (ec) {
            result = ec;
            return;
        }
        http::async_read(stream, buffer, parser,
                         [&](beast::error_code readError, std::size_t) { result = readError; });
    };
    http::async_write(stream, wireRequest, [&](beast::error_code ec, std::size_t) {
        if (ec) {
            result = ec;
            return;
        }
        http::async_read_header(stream, buffer, parser, readBody);
    });
    ioc.restart();
    ioc.run();

    HttpResult outcome;
    if (result) {
        outcome.failure = DescribeExchangeError(result, peer, limits);
    } else {
        outcome.reply = FromBeastReply(parser.release());
    }
    return outcome;
}

}  // namespace quendra::detail
