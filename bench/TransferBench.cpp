// The transfer engine against curl's command line: both fetch the same 64 MiB file from an
// nginx on 127.0.0.1 into a file, in the same run. The engine hands each block's progress
// to the UI thread, so its time depends on the block size: it is measured with 1 MiB blocks
// and with the default 4096 bytes, next to curl's time plus the cost of the 16384 hand-offs
// that 4096-byte blocks take. Also prints the growth of the peak resident memory during the
// engine's 64 MiB transfer. Arguments are ignored (scripts/bench.sh passes benchmark flags).
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "tests/fakes/RealServers.h"
#include "update/HandOff.h"
#include "update/upHTTP.h"
#include "update/upThread.h"

namespace {

using namespace quendra;
using namespace quendra::testing;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kFileSize = 64 * 1024 * 1024;
constexpr int kRuns = 3;

// A temporary folder, removed at the end.
struct Folder {
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quendra-bench-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string File(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A /proc/self/status value in KiB.
long StatusKib(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key + ":", 0) == 0)
            return std::atol(line.c_str() + key.size() + 1);
    }
    return -1;
}

// Starts the peak resident figure again from the current size.
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double CurlSeconds(const std::string& curl, const std::string& url, const std::string& out) {
    const auto start = Clock::now();
    const std::string command = curl + " -s -f -o " + out + " " + url;
    if (std::system(command.c_str()) != 0)
        return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct EngineRun {
    double seconds = -1;
    long peakGrowthKib = 0;
    long progressCalls = 0;
};

EngineRun EngineSeconds(const std::string& url, const std::string& out, std::uint32_t block) {
    TupCustomHTTP http;
    http.URL = std::u16string(url.begin(), url.end());
    http.FileName = std::u16string(out.begin(), out.end());
    http.TransferBufferSize = block;
    http.Proxy.AccessType = TupHTTPAccessType::atDirect;
    EngineRun run;
    bool done = false;
    std::uint32_t lastPercent = 0;
    http.OnHTTPProgress = [&](TupCustomHTTP&, const TupHTTPProgress& progress, const std::string*) {
        ++run.progressCalls;
        lastPercent = progress.PercentsDone;
    };
    http.OnHTTPDone = [&](TupCustomHTTP&, const std::string&, std::uint32_t, const std::string*) {
        done = true;
    };
    ResetPeak();
    const long before = StatusKib("VmRSS");
    const auto start = Clock::now();
    http.StartTransfer();
    RunUiLoopUntil([&] { return !http.IsBusy(); }, std::chrono::seconds(120));
    if (!done || lastPercent != 100)
        return run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.peakGrowthKib = StatusKib("VmHWM") - before;
    return run;
}

// One hand-off from a worker to this (the UI) thread and back, in seconds.
double HandOffSeconds() {
    constexpr int kCalls = 20000;
    TupCustomThread thread;
    thread.SetOnExecute([](TupThreadRun& run) {
        for (int i = 0; i < kCalls; ++i)
            run.Synchronize([] {});
    });
    const auto start = Clock::now();
    thread.Execute();
    RunUiLoopUntil([&] { return !thread.Executing(); }, std::chrono::seconds(60));
    return std::chrono::duration<double>(Clock::now() - start).count() / kCalls;
}

}  // namespace

int main() {
    const auto curl = FindProgram("curl");
    if (!FindProgram("nginx") || !curl) {
        std::cerr << "transfer_bench: nginx and curl are needed (scripts/setup.sh installs them)\n";
        return 1;
    }
    Folder folder;
    std::filesystem::create_directories(folder.File("root"));
    std::filesystem::create_directories(folder.File("nginx"));
    {
        std::string block(1024 * 1024, '\0');
        std::ofstream file(folder.File("root/big.bin"), std::ios::binary);
        for (std::size_t written = 0; written < kFileSize; written += block.size()) {
            for (std::size_t i = 0; i < block.size(); ++i)
                block[i] = static_cast<char>((written + i) * 2654435761u >> 13);
            file.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
    }
    NginxServer nginx(folder.File("root"), folder.File("nginx"));
    if (!nginx.Ready()) {
        std::cerr << "transfer_bench: nginx did not start\n" << nginx.Log();
        return 1;
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(nginx.Port()) + "/big.bin";
    const std::string out = folder.File("out.bin");

    std::vector<double> curlTimes;
    for (int i = 0; i < kRuns; ++i)
        curlTimes.push_back(CurlSeconds(*curl, url, out));
    const double curlTime = Median(curlTimes);
    const double handOff = HandOffSeconds();
    std::printf("64 MiB from nginx on 127.0.0.1 into a file, median of %d runs\n", kRuns);
    std::printf("  curl                         %8.3f s  (%.0f MiB/s)\n", curlTime, 64 / curlTime);
    std::printf("  one hand-off to the UI thread %7.2f us\n", handOff * 1e6);
    for (const std::uint32_t block : {1024u * 1024u, 4096u}) {
        std::vector<double> times;
        long peak = 0;
        long calls = 0;
        for (int i = 0; i < kRuns; ++i) {
            const auto run = EngineSeconds(url, out, block);
            if (run.seconds < 0) {
                std::cerr << "transfer_bench: the engine's transfer failed\n";
                return 1;
            }
            times.push_back(run.seconds);
            peak = std::max(peak, run.peakGrowthKib);
            calls = run.progressCalls;
        }
        const double engineTime = Median(times);
        std::printf("  engine, %7u-byte blocks  %8.3f s  (%.0f MiB/s), %ld progress hand-offs\n",
                    block, engineTime, 64 / engineTime, calls);
        std::printf("    throughput vs curl: %.2fx;  engine time / curl time: %.2f\n",
                    curlTime / engineTime, engineTime / curlTime);
        if (block == 4096) {
            std::printf("    budget (curl + %ld hand-offs): %.3f s\n", calls,
                        curlTime + static_cast<double>(calls) * handOff);
        }
        std::printf("    peak resident memory growth: %.1f MiB\n", peak / 1024.0);
    }
    return 0;
}
