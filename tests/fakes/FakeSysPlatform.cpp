#include "tests/fakes/FakeSysPlatform.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sysinfo/SysInfo.h"
#include "util/TextRules.h"

namespace quendra {

namespace {

std::tuple<HKEY, std::u16string, std::u16string> RegistryKey(HKEY root, std::u16string_view key,
                                                             std::u16string_view name) {
    return {root, AsciiLower(key), AsciiLower(name)};
}

std::uint32_t LE32(std::string_view text, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4 && offset + i < text.size(); ++i) {
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[offset + i])) << (8 * i);
    }
    return value;
}

}  // namespace

void FakeSysPlatform::SetVersion(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                                 std::u16string_view csd) {
    version.dwPlatformId = platformId;
    version.dwMajorVersion = major;
    version.dwMinorVersion = minor;
    std::fill(std::begin(version.szCSDVersion), std::end(version.szCSDVersion), u'\0');
    std::copy_n(csd.begin(), std::min(csd.size(), std::size(version.szCSDVersion)),
                version.szCSDVersion);
}

void FakeSysPlatform::SetProduct(std::uint8_t productType, std::uint16_t suiteMask) {
    version.wProductType = productType;
    version.wSuiteMask = suiteMask;
}

void FakeSysPlatform::SetRegistryString(HKEY root, std::u16string_view key,
                                        std::u16string_view name, std::u16string_view text,
                                        std::uint32_t type) {
    std::vector<std::uint8_t> data;
    for (const char16_t c : text) {
        data.push_back(static_cast<std::uint8_t>(c));
        data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    SetRegistryBytes(root, key, name, type, std::move(data));
}

void FakeSysPlatform::SetRegistryBytes(HKEY root, std::u16string_view key, std::u16string_view name,
                                       std::uint32_t type, std::vector<std::uint8_t> data) {
    registry[RegistryKey(root, key, name)] = {type, std::move(data), false};
}

void FakeSysPlatform::SetRegistryDword(HKEY root, std::u16string_view key, std::u16string_view name,
                                       std::uint32_t value) {
    SetRegistryBytes(
        root, key, name, REG_DWORD,
        {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
         static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

void FakeSysPlatform::SetVendor(std::uint32_t maxStandardLeaf, std::string_view vendor) {
    cpuidAvailable = true;
    cpuid[0] = {maxStandardLeaf, LE32(vendor, 0), LE32(vendor, 8), LE32(vendor, 4)};
}

void FakeSysPlatform::SetLeafText(std::uint32_t leaf, std::string_view text) {
    cpuid[leaf] = {LE32(text, 0), LE32(text, 4), LE32(text, 8), LE32(text, 12)};
}

SysPlatform FakeSysPlatform::Platform() {
    SysPlatform p;
    p.GetVersionExW = [this](OSVERSIONINFOEXW& info) {
        if (info.dwOSVersionInfoSize == kOsVersionInfoSize) {
            if (!plainQuerySucceeds)
                return false;
            std::memcpy(&info, &version, kOsVersionInfoSize);
            info.dwOSVersionInfoSize = kOsVersionInfoSize;
            return true;
        }
        if (info.dwOSVersionInfoSize == kOsVersionInfoExSize) {
            ++extendedQueries;
            if (!extendedQuerySucceeds)
                return false;
            info = version;
            info.dwOSVersionInfoSize = kOsVersionInfoExSize;
            return true;
        }
        return false;
    };
    p.GetSystemMetrics = [this](int index) {
        const auto it = metrics.find(index);
        return it == metrics.end() ? 0 : it->second;
    };
    if (hasNativeSystemInfo) {
        p.GetNativeSystemInfo = [this](SYSTEM_INFO& info) {
            info.wProcessorArchitecture = nativeArchitecture;
        };
    }
    p.GetSystemInfo = [this](SYSTEM_INFO& info) {
        info.wProcessorArchitecture = plainArchitecture;
    };
    p.QueryRegistryValue = [this](HKEY root, std::u16string_view key, std::u16string_view name) {
        const auto it = registry.find(RegistryKey(root, key, name));
        if (it == registry.end())
            return std::optional<RegistryValueInfo>();
        return std::optional<RegistryValueInfo>(
            RegistryValueInfo{it->second.type, static_cast<std::uint32_t>(it->second.data.size())});
    };
    p.ReadRegistryValue = [this](HKEY root, std::u16string_view key, std::u16string_view name,
                                 std::span<std::uint8_t> buffer) {
        const auto it = registry.find(RegistryKey(root, key, name));
        if (it == registry.end() || it->second.readFails)
            return false;
        const std::vector<std::uint8_t>& data = it->second.data;
        if (data.size() > buffer.size())
            return false;
        std::copy(data.begin(), data.end(), buffer.begin());
        return true;
    };
    p.ReadModuleFixedVersion = [this](std::u16string_view module) {
        return EqualsNoCase(module, u"kernel32.dll") ? kernelFixedVersion
                                                     : std::vector<std::uint8_t>();
    };
    p.GetSystemDirectoryW = [this](std::span<char16_t> buffer) -> std::uint32_t {
        if (systemDirectory.empty())
            return 0;
        if (buffer.size() < systemDirectory.size() + 1) {
            return static_cast<std::uint32_t>(systemDirectory.size() + 1);
        }
        std::copy(systemDirectory.begin(), systemDirectory.end(), buffer.begin());
        buffer[systemDirectory.size()] = u'\0';
        return static_cast<std::uint32_t>(systemDirectory.size());
    };
    p.CpuidAvailable = [this] { return cpuidAvailable; };
    p.ExecuteCpuid = [this](std::uint32_t leaf, std::uint32_t) {
        executedLeaves.push_back(leaf);
        const auto it = cpuid.find(leaf);
        return it == cpuid.end() ? CpuidRegisters{} : it->second;
    };
    p.ReadTimeStampCounter = [this] {
        const std::size_t index = std::min<std::size_t>(priorityReads > 0 ? priorityReads - 1 : 0,
                                                        cpuMHzPerTry.size() - 1);
        const double mhz = cpuMHzPerTry.empty() ? 0 : cpuMHzPerTry[index];
        const double seconds = static_cast<double>(counter) / static_cast<double>(counterFrequency);
        return static_cast<std::uint64_t>(std::llround(seconds * mhz * 1e6));
    };
    p.QueryPerformanceFrequency = [this](std::int64_t& frequency) {
        frequency = counterFrequency;
        return hasPerformanceCounter;
    };
    p.QueryPerformanceCounter = [this] {
        counter += ticksPerRead;
        return counter;
    };
    p.GetThreadPriority = [this] {
        ++priorityReads;
        return threadPriority;
    };
    p.SetThreadPriority = [this](int priority) {
        priorityChanges.push_back(priority);
        threadPriority = priority;
        return true;
    };
    return p;
}

ScopedSysPlatform::ScopedSysPlatform(SysPlatform platform)
    : previous_(InstallSysPlatform(std::move(platform))) {
    CaptureStartupSystemInfo();
}

ScopedSysPlatform::~ScopedSysPlatform() {
    InstallSysPlatform(std::move(previous_));
    CaptureStartupSystemInfo();
}

}  // namespace quendra
