// Time of one BuildReport for a simulated DVD burner: system facts, processor
// identification with its clock measurement, the drive's words, 29 capability answers, two
// capability probes for the speeds and TEST UNIT READY.
#include <benchmark/benchmark.h>

#include <memory>

#include "demo/aspi/SimulatedDrive.h"
#include "drive/DriveComponent.h"
#include "report/Report.h"
#include "sysinfo/SysInfo.h"
#include "tests/fakes/FakeDrivePlatform.h"

namespace {

using namespace quendra;

void BuildReportForASimulatedBurner(benchmark::State& state) {
    auto platform = std::make_shared<FakeDrivePlatform>();
    platform->AddDrive('E', std::make_shared<SimulatedDrive>(drives::DvdBurner()),
                       ScsiAddress{1, 0, 0});
    TDriveComponent drives(platform);
    drives.InitializeASPI(false, "", "");
    drives.SelectDevice(0);
    ReportFields fields;
    fields.FProgramVersion = u"1.0.0.0";
    for (auto _ : state) {
        benchmark::DoNotOptimize(BuildReport(fields, drives, 0));
    }
}

BENCHMARK(BuildReportForASimulatedBurner)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    CaptureStartupSystemInfo();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
