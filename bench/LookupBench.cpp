// Time of one lookup exchange (form body, post, reply decoding and reading) against a
// server on 127.0.0.1 with a 2 kB reply, next to the bare round trip of the same bytes to
// the same server. The difference is what the exchange costs beyond the server.
#include <benchmark/benchmark.h>

#include <boost/asio.hpp>

#include "lookup/LookupExchange.h"
#include "tests/fakes/LoopbackHttpServer.h"
#include "tests/lookup/SampleReport.h"

namespace {

using namespace quendra;

std::string TwoKilobyteReply() {
    std::string body;
    for (int i = 0; body.size() < 1900; ++i) {
        body += "[page" + std::to_string(i) +
                "]\r\nurl=http://drivers.example/<#DeviceNameBrand>/<#DeviceNameModel>/" +
                std::to_string(i) + "\r\n; comment\r\n";
    }
    body.resize(2048, ';');
    return ServerReply::Text(200, "OK", body, {{"Content-Type", "text/html; charset=utf-8"}}).bytes;
}

LoopbackHttpServer& Server() {
    static LoopbackHttpServer server(
        [reply = TwoKilobyteReply()](const RecordedRequest&, std::size_t) {
            return ServerReply{reply};
        },
        std::chrono::seconds(600));
    return server;
}

void LookupExchange(benchmark::State& state) {
    const std::u16string report = SampleReport();
    const ReportFields words = SampleWords();
    const LookupEndpoint endpoint{{"127.0.0.1", Server().port()}};
    std::size_t opened = 0;
    const DocumentOpener open = [&](const std::u16string&) { ++opened; };
    for (auto _ : state) {
        const auto failure = RunLookup(report, words, endpoint, open);
        if (failure)
            state.SkipWithError("the lookup failed");
    }
    benchmark::DoNotOptimize(opened);
}

// Connect, send the request bytes a lookup sends, read until the server closes.
void ServerRoundTrip(benchmark::State& state) {
    namespace asio = boost::asio;
    std::string request;
    {
        // Record the lookup's own request once.
        LoopbackHttpServer recorder(
            [](const RecordedRequest&, std::size_t) { return ServerReply::Text(200, "OK", ""); });
        RunLookup(SampleReport(), SampleWords(), {{"127.0.0.1", recorder.port()}}, {});
        request = recorder.requests().at(0).bytes;
    }
    asio::io_context ioc;
    const asio::ip::tcp::endpoint server(asio::ip::make_address("127.0.0.1"), Server().port());
    std::string reply;
    for (auto _ : state) {
        asio::ip::tcp::socket socket(ioc);
        socket.connect(server);
        asio::write(socket, asio::buffer(request));
        reply.clear();
        boost::system::error_code ec;
        asio::read(socket, asio::dynamic_buffer(reply), ec);
        if (ec != asio::error::eof)
            state.SkipWithError("the round trip failed");
    }
    benchmark::DoNotOptimize(reply);
}

BENCHMARK(LookupExchange)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(ServerRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
