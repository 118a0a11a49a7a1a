#pragma once

// System information: the operating system's version, edition, product type and service
// pack, 64-bit detection, the system folder, and the processor identification.

#include "sysinfo/CpuFrequency.h"
#include "sysinfo/CpuInfo.h"
#include "sysinfo/OsFacts.h"
#include "sysinfo/Registry.h"
#include "sysinfo/SysPlatform.h"
#include "sysinfo/WindowsVersion.h"

namespace quendra {

// Captures StartupOsVersion, then KernelProductVersionHigh, then StartupWindowsVersion.
// Every main calls it first, before anything else runs; test fixtures call it after
// installing a platform.
void CaptureStartupSystemInfo();

}  // namespace quendra
