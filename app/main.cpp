// Process entry of the window: the system facts are captured first; --help, --version and
// usage errors are answered before the application object exists, so they need no display;
// then the window starts.

#include <iostream>
#include <optional>
#include <span>

#include "app/Startup.h"
#include "app/WindowCommandLine.h"
#include "sysinfo/SysInfo.h"

int main(int argc, char* argv[]) {
    quendra::CaptureStartupSystemInfo();
    const std::span<const char* const> args =
        argc > 1 ? std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1))
                 : std::span<const char* const>();
    if (const std::optional<int> exitCode =
            quendra::AnswerWindowCommandLine(args, std::cout, std::cerr)) {
        return *exitCode;
    }
    return quendra::RunQuendra(argc, argv);
}
