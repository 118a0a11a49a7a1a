#pragma once

// The request and reply of one exchange on any connected Beast stream: a TCP stream in
// the client, an in-memory test stream in unit tests. Only `net/` and its tests include
// this header.

#include <boost/asio/io_context.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>
#include <cstdint>
#include <functional>
#include <optional>
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

// Interim replies (1xx but 101) that may come before the final reply; more is a fault.
inline constexpr int kMaxInterimReplies = 16;

// Whether a reply status is an interim one that a client reads past: every 1xx but
// 101 (Switching Protocols), which ends the exchange as a final reply.
constexpr bool IsInterimStatus(unsigned status) {
    return status >= 100 && status <= 199 && status != 101;
}

// Reads reply headers into a fresh `parser` (set up by `prepare`) until a final one has
// arrived, skipping interim 1xx replies whether they come in one read with the final reply
// or apart. `interim` is called for each one skipped. `done` gets the error, or
// http::error::bad_status after more than kMaxInterimReplies of them.
template <class Stream, class Parser>
void AsyncReadFinalHeader(Stream& stream, beast::flat_buffer& buffer, std::optional<Parser>& parser,
                          std::function<void(Parser&)> prepare, std::function<void()> interim,
                          std::function<void(beast::error_code)> done,
                          int interimLeft = kMaxInterimReplies) {
    parser.emplace();
    prepare(*parser);
    http::async_read_header(
        stream, buffer, *parser,
        [&stream, &buffer, &parser, prepare = std::move(prepare), interim = std::move(interim),
         done = std::move(done), interimLeft](beast::error_code ec, std::size_t) mutable {
            if (ec || !IsInterimStatus(parser->get().result_int()))
                return done(ec);
            if (interimLeft == 0)
                return done(http::error::bad_status);
            if (interim)
                interim();
            AsyncReadFinalHeader(stream, buffer, parser, std::move(prepare), std::move(interim),
                                 std::move(done), interimLeft - 1);
        });
}

// Writes the request, then reads one reply of any framing (length, chunked, or ended by
// the close of the connection), running `ioc` until both are done. Interim 1xx replies
// are skipped. Time limits are the stream's own (a TCP stream's expiry); the reply size
// limit is `limits.maxReplyBytes`.
template <class Stream>
HttpResult SendAndReceive(boost::asio::io_context& ioc, Stream& stream, const HttpRequest& request,
                          const HttpLimits& limits, const std::string& peer) {
    using Parser = http::response_parser<http::string_body>;
    const auto wireRequest = ToBeastRequest(request);
    std::optional<Parser> parser;
    beast::flat_buffer buffer;
    beast::error_code result;

    auto readBody = [&](beast::error_code ec) {
        // A declared length over the cap fails before any body byte is read (this
        // version of the parser checks its limit only for chunked and close-delimited bodies).
        if (!ec && parser->content_length() && *parser->content_length() > limits.maxReplyBytes) {
            ec = http::error::body_limit;
        }
        if (ec) {
            result = ec;
            return;
        }
        http::async_read(stream, buffer, *parser,
                         [&](beast::error_code readError, std::size_t) { result = readError; });
    };
    auto prepare = [&](Parser& fresh) {
        fresh.body_limit(static_cast<std::uint64_t>(limits.maxReplyBytes));
        fresh.header_limit(kHeaderLimit);
    };
    http::async_write(stream, wireRequest, [&](beast::error_code ec, std::size_t) {
        if (ec) {
            result = ec;
            return;
        }
        AsyncReadFinalHeader<Stream, Parser>(stream, buffer, parser, prepare, {}, readBody);
    });
    ioc.restart();
    ioc.run();

    HttpResult outcome;
    if (result) {
        outcome.failure = DescribeExchangeError(result, peer, limits);
    } else {
        outcome.reply = FromBeastReply(parser->release());
    }
    return outcome;
}

}  // namespace quendra::detail
