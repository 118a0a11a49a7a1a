#include "sysinfo/SysInfo.h"

namespace quendra {

void CaptureStartupSystemInfo() {
    CaptureStartupOsVersion();
    CaptureStartupWindowsVersion();
}

}  // namespace quendra
