#include "sysinfo/SysInfo.h"

void CaptureStartupSystemInfo() {
    CaptureStartupOsVersion();
    CaptureStartupWindowsVersion();
}
