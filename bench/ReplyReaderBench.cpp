// Time to read a lookup reply (decoding by character set, INI sections and entries, the
// address test, placeholders) for the reply shapes whose reading used to grow with the
// square of the size, at 1/4, 1 and 4 MiB (the reply cap). Linear reading shows as a time
// that grows four times per step; the goal is well under a second at 4 MiB.
#include <benchmark/benchmark.h>

#include <functional>
#include <string>

#include "lookup/ReplyReader.h"

namespace {

using namespace quendra;

constexpr std::size_t kCap = 4 * 1024 * 1024;

// Repeats `piece(i)` until the text is `size` bytes long (the last piece cut).
std::string Fill(std::size_t size, const std::function<std::string(std::size_t)>& piece,
                 std::string head = {}) {
    std::string text = std::move(head);
    for (std::size_t i = 0; text.size() < size; ++i)
        text += piece(i);
    text.resize(size);
    return text;
}

struct Shape {
    const char* contentType;
    std::function<std::string(std::size_t size)> make;
};

const Shape kShapes[] = {
    // Distinct sections, none with a usable address: every section is read.
    {"text/plain",
     [](std::size_t size) {
         return Fill(size, [](std::size_t i) {
             std::string piece = "[s";
             piece += std::to_string(i);
             piece += "]\nurl=x\n";
             return piece;
         });
     }},
    // One name repeated, its last section holding many entries without "url".
    {"text/plain",
     [](std::size_t size) {
         std::string text = Fill(size / 2, [](std::size_t) { return std::string("[s]\n"); });
         text += "[s]\n";
         return Fill(
             size,
             [](std::size_t i) {
                 std::string piece = "k";
                 piece += std::to_string(i);
                 piece += "=v\n";
                 return piece;
             },
             std::move(text));
     }},
    // An HTML reply of "<meta" tags that never close, and charset words without a value.
    {"text/html",
     [](std::size_t size) {
         return Fill(size, [](std::size_t) { return std::string("<meta charset <meta "); });
     }},
    // One address made of placeholders.
    {"text/plain",
     [](std::size_t size) {
         return Fill(
             size, [](std::size_t) { return std::string("<#devicenamemodel>"); },
             "[s]\nurl=http://x.example/");
     }},
    // Bytes the declared set cannot decode, through the C library's converter and the
    // built-in UTF-8 decoder.
    {"text/plain; charset=shift_jis", [](std::size_t size) { return std::string(size, '\xA0'); }},
    {"text/plain; charset=utf-8", [](std::size_t size) { return std::string(size, '\xFF'); }},
};

void ReadReply(benchmark::State& state) {
    const Shape& shape = kShapes[state.range(0)];
    const std::string body = shape.make(static_cast<std::size_t>(state.range(1)));
    ReportFields words;
    words.FDeviceModel = u"XR 22";
    std::size_t addresses = 0;
    for (auto _ : state) {
        const std::u16string text = DecodeReplyBody(shape.contentType, body);
        addresses += AddressesFromReply(text, words).size();
    }
    benchmark::DoNotOptimize(addresses);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}

}  // namespace

BENCHMARK(ReadReply)
    ->ArgNames({"shape", "bytes"})
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {kCap / 4, kCap / 2, kCap}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
