#pragma once

// The platform seam of the system information: every operating-system and processor call
// the version rules, the registry readers and the processor identification make. One
// implementation per platform (sysinfo/linux/); tests install fakes with
// InstallSysPlatform and restore the previous platform afterwards. It is installed
// process-wide rather than handed to an owner because the system information is free
// functions over values captured once at process start, which every caller shares.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace quendra {

// Version record of the platform's version query. The caller sets
// dwOSVersionInfoSize: 276 asks the plain record (up to szCSDVersion), 284 the extended one.
struct OSVERSIONINFOEXW {
    std::uint32_t dwOSVersionInfoSize;
    std::uint32_t dwMajorVersion;
    std::uint32_t dwMinorVersion;
    std::uint32_t dwBuildNumber;
    std::uint32_t dwPlatformId;
    char16_t szCSDVersion[128];
    std::uint16_t wServicePackMajor;
    std::uint16_t wServicePackMinor;
    std::uint16_t wSuiteMask;
    std::uint8_t wProductType;
    std::uint8_t wReserved;
};

inline constexpr std::uint32_t kOsVersionInfoSize = 276;
inline constexpr std::uint32_t kOsVersionInfoExSize = 284;
static_assert(offsetof(OSVERSIONINFOEXW, wServicePackMajor) == kOsVersionInfoSize);
static_assert(sizeof(OSVERSIONINFOEXW) == kOsVersionInfoExSize);

inline constexpr std::uint8_t VER_NT_WORKSTATION = 1;
inline constexpr std::uint8_t VER_NT_DOMAIN_CONTROLLER = 2;
inline constexpr std::uint8_t VER_NT_SERVER = 3;
inline constexpr std::uint16_t VER_SUITE_ENTERPRISE = 0x0002;
inline constexpr std::uint16_t VER_SUITE_DATACENTER = 0x0080;
inline constexpr std::uint16_t VER_SUITE_PERSONAL = 0x0200;
inline constexpr std::uint16_t VER_SUITE_BLADE = 0x0400;

inline constexpr int SM_SERVERR2 = 89;

struct SYSTEM_INFO {
    std::uint16_t wProcessorArchitecture;
    std::uint16_t wReserved;
    std::uint32_t dwPageSize;
    std::uintptr_t lpMinimumApplicationAddress;
    std::uintptr_t lpMaximumApplicationAddress;
    std::uintptr_t dwActiveProcessorMask;
    std::uint32_t dwNumberOfProcessors;
    std::uint32_t dwProcessorType;
    std::uint32_t dwAllocationGranularity;
    std::uint16_t wProcessorLevel;
    std::uint16_t wProcessorRevision;
};

inline constexpr std::uint16_t PROCESSOR_ARCHITECTURE_INTEL = 0;
inline constexpr std::uint16_t PROCESSOR_ARCHITECTURE_ARM = 5;
inline constexpr std::uint16_t PROCESSOR_ARCHITECTURE_IA64 = 6;
inline constexpr std::uint16_t PROCESSOR_ARCHITECTURE_AMD64 = 9;
inline constexpr std::uint16_t PROCESSOR_ARCHITECTURE_ARM64 = 12;
inline constexpr std::uint16_t PROCESSOR_ARCHITECTURE_UNKNOWN = 0xFFFF;

using HKEY = std::uint32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
inline constexpr HKEY HKEY_USERS = 0x80000003;

inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;
inline constexpr std::uint32_t REG_QWORD = 11;

struct RegistryValueInfo {
    std::uint32_t type = REG_NONE;
    std::uint32_t size = 0;  // bytes of data
};

struct CpuidRegisters {
    std::uint32_t eax = 0;
    std::uint32_t ebx = 0;
    std::uint32_t ecx = 0;
    std::uint32_t edx = 0;
};

inline constexpr int THREAD_PRIORITY_NORMAL = 0;
inline constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
inline constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

struct SysPlatform {
    // Fills `info` as far as info.dwOSVersionInfoSize asks (276 or 284); true on success.
    // Any other size fails. On failure the record is left as it was.
    std::function<bool(OSVERSIONINFOEXW& info)> GetVersionExW;

    // The system metric of that index; 0 when the platform has none.
    std::function<int(int index)> GetSystemMetrics;

    // The native system information; an empty function means the platform offers none
    // (the caller then uses GetSystemInfo).
    std::function<void(SYSTEM_INFO& info)> GetNativeSystemInfo;
    // The system information as the running process sees it. Always present.
    std::function<void(SYSTEM_INFO& info)> GetSystemInfo;

    // Opens the key read-only in the process's default view, asks the value's type and
    // data size and closes the key. nullopt when the key or the value does not exist.
    std::function<std::optional<RegistryValueInfo>(HKEY root, std::u16string_view keyPath,
                                                   std::u16string_view valueName)>
        QueryRegistryValue;
    // Reads the value's data into `buffer` (from its start); false when the key or the
    // value does not exist or the data does not fit.
    std::function<bool(HKEY root, std::u16string_view keyPath, std::u16string_view valueName,
                       std::span<std::uint8_t> buffer)>
        ReadRegistryValue;

    // The fixed version information block of the loaded module of that name, as bytes;
    // empty when the module is not loaded or has no readable version information.
    std::function<std::vector<std::uint8_t>(std::u16string_view moduleName)> ReadModuleFixedVersion;

    // Copies the system folder with a terminating zero into `buffer` and returns its length
    // without the terminator. When the buffer is too small, copies nothing and returns the
    // length the buffer needs including the terminator. 0 when there is no system folder.
    std::function<std::uint32_t(std::span<char16_t> buffer)> GetSystemDirectoryW;

    // True when bit 21 (ID) of EFLAGS can be toggled, that is, the CPUID instruction exists.
    std::function<bool()> CpuidAvailable;
    // The four registers CPUID returns for that leaf and sub-leaf.
    std::function<CpuidRegisters(std::uint32_t leaf, std::uint32_t subLeaf)> ExecuteCpuid;
    // The time-stamp counter (RDTSC).
    std::function<std::uint64_t()> ReadTimeStampCounter;

    // Ticks per second of the performance counter; false when there is no such counter.
    std::function<bool(std::int64_t& frequency)> QueryPerformanceFrequency;
    // The performance counter's current value.
    std::function<std::int64_t()> QueryPerformanceCounter;

    // Priority of the calling thread, or THREAD_PRIORITY_ERROR_RETURN.
    std::function<int()> GetThreadPriority;
    // Sets the calling thread's priority; false when the change was refused.
    std::function<bool(int priority)> SetThreadPriority;
};

// The platform the program runs on (sysinfo/linux/ on Linux).
SysPlatform MakeNativeSysPlatform();

// The platform in use; the native one until another is installed.
const SysPlatform& CurrentSysPlatform();

// Installs `platform` process-wide and returns the one it replaces. Not for use while
// another thread is inside a system information call.
SysPlatform InstallSysPlatform(SysPlatform platform);

}  // namespace quendra
