// An HTTP reply as the server's bytes reach the lookup's client: status line, fields,
// interim replies, every body framing, cut anywhere and delivered in pieces of any size over
// Beast's in-memory stream; then what the exchange reads from a reply (the status line, a
// redirect's Location resolved against the address asked, the body decoded by its charset).
// Input: one byte for the piece size and the request's version, then the server's bytes.

#include <fuzzer/FuzzedDataProvider.h>

#include <boost/beast/_experimental/test/stream.hpp>

#include "lookup/ReplyReader.h"
#include "net/BeastExchange.h"
#include "net/HttpAddress.h"

using namespace quendra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto control = input.ConsumeIntegral<std::uint8_t>();
    const std::string serverBytes = input.ConsumeRemainingBytesAsString();

    HttpRequest request;
    request.method = "POST";
    request.target = "/quendra/quendra.php";
    request.version = (control & 0x80) != 0 ? 10 : 11;
    request.fields = {{"Content-Length", "3"}, {"Host", "data.quendra.example"}};
    request.body = "a=b";
    HttpLimits limits;
    limits.maxReplyBytes = 64 * 1024;

    boost::asio::io_context ioc;
    boost::beast::test::stream client(ioc, serverBytes);
    boost::beast::test::stream server(ioc);
    client.connect(server);
    client.read_size(1 + (control & 0x7F));
    client.close_remote();
    const HttpResult result = detail::SendAndReceive(ioc, client, request, limits, "fuzz:80");
    if (!result.ok())
        return 0;

    const HttpReply& reply = result.reply;
    reply.StatusLine();
    if (const auto location = reply.Field("Location")) {
        const HttpAddress base{"http", {"data.quendra.example", 80}, "/quendra/quendra.php"};
        if (const auto next = ResolveLocation(base, *location))
            AddressText(*next);
    }
    DecodeReplyBody(reply.Field("Content-Type").value_or(""), reply.body);
    return 0;
}
