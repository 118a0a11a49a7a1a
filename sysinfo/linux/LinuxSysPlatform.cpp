// The system information platform on Linux: the kernel release stands in for the
// operating-system version, there is no registry and no system metric, the native
// architecture comes from the machine, and the system folder is the folder of the loaded
// C library.

#include <dlfcn.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "sysinfo/SysPlatform.h"
#include "sysinfo/linux/LinuxProcessor.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

bool GetVersion(OSVERSIONINFOEXW& info) {
    // Only the plain record: the extended query has no Linux counterpart.
    if (info.dwOSVersionInfoSize != kOsVersionInfoSize)
        return false;
    utsname name{};
    if (uname(&name) != 0)
        return false;
    unsigned major = 0;
    unsigned minor = 0;
    if (std::sscanf(name.release, "%u.%u", &major, &minor) < 1)
        return false;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.dwBuildNumber = 0;
    info.dwPlatformId = 0;
    std::fill(std::begin(info.szCSDVersion), std::end(info.szCSDVersion), u'\0');
    return true;
}

std::uint16_t ArchitectureOfMachine(std::string_view machine) {
    if (machine == "x86_64")
        return PROCESSOR_ARCHITECTURE_AMD64;
    if (machine == "aarch64" || machine == "arm64")
        return PROCESSOR_ARCHITECTURE_ARM64;
    if (machine == "ia64")
        return PROCESSOR_ARCHITECTURE_IA64;
    if (machine.size() == 4 && machine[0] == 'i' && machine.substr(2) == "86") {
        return PROCESSOR_ARCHITECTURE_INTEL;
    }
    if (machine.starts_with("arm"))
        return PROCESSOR_ARCHITECTURE_ARM;
    return PROCESSOR_ARCHITECTURE_UNKNOWN;
}

std::uint16_t ArchitectureOfProcess() {
#if defined(__x86_64__)
    return PROCESSOR_ARCHITECTURE_AMD64;
#elif defined(__aarch64__)
    return PROCESSOR_ARCHITECTURE_ARM64;
#elif defined(__i386__)
    return PROCESSOR_ARCHITECTURE_INTEL;
#elif defined(__arm__)
    return PROCESSOR_ARCHITECTURE_ARM;
#else
    return PROCESSOR_ARCHITECTURE_UNKNOWN;
#endif
}

void FillCommon(SYSTEM_INFO& info, std::uint16_t architecture) {
    const long pageSize = sysconf(_SC_PAGESIZE);
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    info.wProcessorArchitecture = architecture;
    info.dwPageSize = pageSize > 0 ? static_cast<std::uint32_t>(pageSize) : 0;
    info.dwAllocationGranularity = info.dwPageSize;
    info.dwNumberOfProcessors = processors > 0 ? static_cast<std::uint32_t>(processors) : 0;
}

void GetNativeSystemInfo(SYSTEM_INFO& info) {
    utsname name{};
    const std::uint16_t architecture =
        uname(&name) == 0 ? ArchitectureOfMachine(name.machine) : ArchitectureOfProcess();
    FillCommon(info, architecture);
}

void GetSystemInfo(SYSTEM_INFO& info) {
    FillCommon(info, ArchitectureOfProcess());
}

// The folder of the C library this process has loaded; empty when it cannot be found.
std::u16string CLibraryFolder() {
    // Looked up by name, so the address is the library's own and not a stub in the program;
    // the symbol is one no sanitizer runtime intercepts.
    void* symbol = dlsym(RTLD_DEFAULT, "gnu_get_libc_version");
    if (!symbol)
        symbol = dlsym(RTLD_DEFAULT, "fclose");
    Dl_info where{};
    if (!symbol || dladdr(symbol, &where) == 0 || !where.dli_fname)
        return {};
    std::error_code error;
    const std::filesystem::path file = std::filesystem::absolute(where.dli_fname, error);
    if (error)
        return {};
    return Utf8ToUtf16(file.parent_path().string());
}

std::uint32_t GetSystemDirectory(std::span<char16_t> buffer) {
    const std::u16string folder = CLibraryFolder();
    if (folder.empty())
        return 0;
    if (buffer.size() < folder.size() + 1)
        return static_cast<std::uint32_t>(folder.size() + 1);
    std::copy(folder.begin(), folder.end(), buffer.begin());
    buffer[folder.size()] = u'\0';
    return static_cast<std::uint32_t>(folder.size());
}

}  // namespace

SysPlatform MakeNativeSysPlatform() {
    SysPlatform platform;
    platform.GetVersionExW = GetVersion;
    platform.GetSystemMetrics = [](int) { return 0; };
    platform.GetNativeSystemInfo = GetNativeSystemInfo;
    platform.GetSystemInfo = GetSystemInfo;
    platform.QueryRegistryValue = [](HKEY, std::u16string_view, std::u16string_view) {
        return std::optional<RegistryValueInfo>();
    };
    platform.ReadRegistryValue = [](HKEY, std::u16string_view, std::u16string_view,
                                    std::span<std::uint8_t>) { return false; };
    platform.ReadModuleFixedVersion = [](std::u16string_view) {
        return std::vector<std::uint8_t>();
    };
    platform.GetSystemDirectoryW = GetSystemDirectory;
    platform.CpuidAvailable = linux_impl::CpuidAvailable;
    platform.ExecuteCpuid = linux_impl::ExecuteCpuid;
    platform.ReadTimeStampCounter = linux_impl::ReadTimeStampCounter;
    platform.QueryPerformanceFrequency = linux_impl::QueryPerformanceFrequency;
    platform.QueryPerformanceCounter = linux_impl::QueryPerformanceCounter;
    platform.GetThreadPriority = linux_impl::GetThreadPriority;
    platform.SetThreadPriority = linux_impl::SetThreadPriority;
    return platform;
}

}  // namespace quendra
