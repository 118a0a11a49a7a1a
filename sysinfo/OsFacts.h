#pragma once

// Operating-system facts: the version values captured once at start-up, the native
// system information, 64-bit detection, the system folder and the service pack.

#include <cstdint>
#include <string>

#include "sysinfo/SysPlatform.h"

namespace quendra {

// The plain version query's answer at start-up; zeros and an empty text when it failed.
struct OsVersionValues {
    std::uint32_t PlatformId = 0;  // 1 the 9x family, 2 the NT family
    std::uint32_t MajorVersion = 0;
    std::uint32_t MinorVersion = 0;
    std::u16string CsdVersion;  // at most 128 characters
};

const OsVersionValues& StartupOsVersion();

// Off the NT family: the product version (major << 16 | minor) of the loaded kernel32
// module at start-up; 0 on the NT family and whenever it cannot be read.
std::uint32_t KernelProductVersionHigh();

// Fills StartupOsVersion, then KernelProductVersionHigh, from the current platform.
void CaptureStartupOsVersion();

// True when the startup version is at least major.minor.
bool VersionAtLeast(std::int32_t major, std::int32_t minor);

// Fills `info` with the native system information and returns true; where the platform
// has none, fills it with the plain system information and returns false.
bool QueryNativeSystemInfo(SYSTEM_INFO& info);

// True when the native processor architecture is IA64 or AMD64.
bool Is64BitWindows();

// The system folder without a trailing separator; empty when the platform reports none.
std::u16string GetSystemFolderPath();

// The installed service pack's major number, 0 when none.
std::int32_t GetServicePackNumber();

// "SP" and the service pack number, or the empty text when there is none.
std::u16string GetServicePackText();

}  // namespace quendra
