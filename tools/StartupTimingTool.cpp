// quendra-startup-timing: starts the window as the program does, prints the steady clock
// (CLOCK_MONOTONIC, nanoseconds) when the window is first shown and when it is first
// painted, and the resident memory then, and ends. scripts/startup-timing.sh compares the clock
// with the time it started the process.

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <fstream>
#include <iostream>
#include <string>

#include "app/Startup.h"
#include "app/UnitMaster.h"
#include "sysinfo/SysInfo.h"
#include "tools/WindowShown.h"

namespace {

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

long long NowNanoseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace quendra;
    CaptureStartupSystemInfo();
    bool painted = false;
    RunQuendra(argc, argv, [&](TFormMaster& form) {
        new WindowShown(&form, [] { std::cout << "shown_ns=" << NowNanoseconds() << ' '; });
        new WindowShown(
            &form,
            [&] {
                std::cout << "painted_ns=" << NowNanoseconds() << " rss_kb=" << ResidentKilobytes()
                          << " drives=" << form.DriveComponent.DeviceCount() << std::endl;
                painted = true;
                QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
            },
            QEvent::Paint);
        QTimer::singleShot(20000, &form, [] { QCoreApplication::exit(3); });
    });
    return painted ? 0 : 1;
}
