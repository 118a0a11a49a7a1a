#include <benchmark/benchmark.h>

#include "sysinfo/SysInfo.h"

namespace {

using namespace quendra;

void BM_ReadCpuInfo(benchmark::State& state) {
    CpuInfo info;
    for (auto _ : state) {
        ReadCpuInfo(info);
        benchmark::DoNotOptimize(info);
    }
}
BENCHMARK(BM_ReadCpuInfo)->Unit(benchmark::kMicrosecond);

void BM_OperatingSystemTexts(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetWindowsProductText());
        benchmark::DoNotOptimize(GetOsVersionText());
        benchmark::DoNotOptimize(GetNtProductTypeText());
    }
}
BENCHMARK(BM_OperatingSystemTexts)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    CaptureStartupSystemInfo();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
