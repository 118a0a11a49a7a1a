// Process entry of the window: the system facts are captured first, then the window starts.

#include "app/Startup.h"
#include "sysinfo/SysInfo.h"

int main(int argc, char* argv[]) {
    quendra::CaptureStartupSystemInfo();
    return quendra::RunQuendra(argc, argv);
}
