#include "sysinfo/OsFacts.h"

#include <cstdio>
#include <vector>

#include "sysinfo/Registry.h"
#include "util/ByteOrder.h"
#include "util/TextRules.h"
#include "util/Unicode.h"

namespace quendra {

namespace {

constexpr std::uint32_t kPlatformNt = 2;
constexpr std::size_t kFixedFileInfoSize = 52;
constexpr std::size_t kProductVersionMsOffset = 16;

OsVersionValues g_startupOsVersion;
std::uint32_t g_kernelProductVersionHigh = 0;

OsVersionValues QueryStartupOsVersion() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = kOsVersionInfoSize;
    if (!CurrentSysPlatform().GetVersionExW(info))
        return {};
    const std::u16string_view csd(info.szCSDVersion, std::size(info.szCSDVersion));
    return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
            std::u16string(csd.substr(0, csd.find(u'\0')))};
}

std::uint32_t QueryKernelProductVersionHigh(std::uint32_t platformId) {
    if (platformId == kPlatformNt)
        return 0;
    const std::vector<std::uint8_t> fixedInfo =
        CurrentSysPlatform().ReadModuleFixedVersion(u"kernel32.dll");
    if (fixedInfo.size() != kFixedFileInfoSize)
        return 0;
    return ReadLE32(fixedInfo, kProductVersionMsOffset);
}

}  // namespace

const OsVersionValues& StartupOsVersion() {
    return g_startupOsVersion;
}

std::uint32_t KernelProductVersionHigh() {
    return g_kernelProductVersionHigh;
}

void CaptureStartupOsVersion() {
    g_startupOsVersion = QueryStartupOsVersion();
    g_kernelProductVersionHigh = QueryKernelProductVersionHigh(g_startupOsVersion.PlatformId);
}

bool VersionAtLeast(std::int32_t major, std::int32_t minor) {
    const std::int64_t startupMajor = g_startupOsVersion.MajorVersion;
    const std::int64_t startupMinor = g_startupOsVersion.MinorVersion;
    return startupMajor > major || (startupMajor == major && startupMinor >= minor);
}

bool QueryNativeSystemInfo(SYSTEM_INFO& info) {
    const SysPlatform& platform = CurrentSysPlatform();
    if (platform.GetNativeSystemInfo) {
        platform.GetNativeSystemInfo(info);
        return true;
    }
    platform.GetSystemInfo(info);
    return false;
}

bool Is64BitWindows() {
    SYSTEM_INFO info{};
    QueryNativeSystemInfo(info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64 ||
           info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

std::u16string GetSystemFolderPath() {
    const SysPlatform& platform = CurrentSysPlatform();
    const std::uint32_t needed = platform.GetSystemDirectoryW({});
    if (needed == 0)
        return {};
    std::u16string buffer(needed, u'\0');
    platform.GetSystemDirectoryW(std::span<char16_t>(buffer.data(), buffer.size()));
    return buffer.substr(0, buffer.find(u'\0'));
}

std::int32_t GetServicePackNumber() {
    if (g_startupOsVersion.PlatformId == kPlatformNt && g_startupOsVersion.MajorVersion >= 5) {
        OSVERSIONINFOEXW info{};
        info.dwOSVersionInfoSize = kOsVersionInfoExSize;
        if (!CurrentSysPlatform().GetVersionExW(info))
            return 0;
        return info.wServicePackMajor;
    }
    // The value holds the service pack as 0xMMmm; its hexadecimal digits are read as a
    // decimal number, so 0x0300 is "0300", 300, service pack 3. Digits that are not
    // decimal (0x0A00) mean no service pack we can name.
    const std::int32_t csdVersion = ReadRegistryInteger(
        HKEY_LOCAL_MACHINE, u"SYSTEM\\CurrentControlSet\\Control\\Windows", u"CSDVersion", 0);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(csdVersion));
    const auto decimal = ParseRegistryDecimal(Latin1ToUtf16(hex));
    return decimal ? *decimal / 100 : 0;
}

std::u16string GetServicePackText() {
    const std::int32_t number = GetServicePackNumber();
    if (number <= 0)
        return {};
    return u"SP" + Decimal(static_cast<std::uint32_t>(number));
}

}  // namespace quendra
