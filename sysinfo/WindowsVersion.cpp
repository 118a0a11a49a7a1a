#include "sysinfo/WindowsVersion.h"

#include <array>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "sysinfo/OsFacts.h"
#include "sysinfo/Registry.h"
#include "sysinfo/SysPlatform.h"
#include "util/TextRules.h"

namespace quendra {

namespace {

using namespace std::string_view_literals;

constexpr std::uint32_t kPlatformWin9x = 1;
constexpr std::uint32_t kPlatformNt = 2;
constexpr std::uint32_t kWindowsMeKernelVersion = 0x0004005A;  // 4.90

constexpr std::u16string_view kCurrentVersionKey =
    u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::u16string_view kProductOptionsKey =
    u"SYSTEM\\CurrentControlSet\\Control\\ProductOptions";

WindowsVersionCode g_startupWindowsVersion = 0;

constexpr std::array<std::u16string_view, 25> kVersionTexts = {
    u""sv,
    u"Windows 95"sv,
    u"Windows 95 OSR2"sv,
    u"Windows 98"sv,
    u"Windows 98 SE"sv,
    u"Windows ME"sv,
    u"Windows NT 3."sv,
    u"Windows NT 3."sv,
    u"Windows NT 3."sv,
    u"Windows NT 4."sv,
    u"Windows 2000"sv,
    u"Windows XP"sv,
    u"Windows Server 2003"sv,
    u"Windows XP x64"sv,
    u"Windows Server 2003 R2"sv,
    u"Windows Vista"sv,
    u"Windows Server 2008"sv,
    u"Windows 7"sv,
    u"Windows Server 2008 R2"sv,
    u"Windows 8"sv,
    u"Windows RT"sv,
    u"Windows Server 2012"sv,
    u"Windows 8.1"sv,
    u"Windows RT 8.1"sv,
    u"Windows Server 2012 R2"sv,
};

constexpr std::array<std::u16string_view, 34> kEditionTexts = {
    u""sv,
    u"Home Edition"sv,
    u"Professional"sv,
    u"Home Edition N"sv,
    u"Professional N"sv,
    u"Home Edition K"sv,
    u"Professional K"sv,
    u"Home Edition KN"sv,
    u"Professional KN"sv,
    u"Starter Edition"sv,
    u"Media Center Edition"sv,
    u"Tablet PC Edition"sv,
    u"Starter"sv,
    u"Home Basic"sv,
    u"Home Basic N"sv,
    u"Home Premium"sv,
    u"Business"sv,
    u"Business N"sv,
    u"Enterprise"sv,
    u"Ultimate"sv,
    u"Starter"sv,
    u"Home Basic"sv,
    u"Home Premium"sv,
    u"Professional"sv,
    u"Enterprise"sv,
    u"Ultimate"sv,
    u""sv,
    u"Pro"sv,
    u"Enterprise"sv,
    u"RT"sv,
    u""sv,
    u"Pro"sv,
    u"Enterprise"sv,
    u"RT"sv,
};

constexpr std::array<std::u16string_view, 9> kProductTypeTexts = {
    u""sv,
    u"Workstation"sv,
    u"Server"sv,
    u"Advanced Server"sv,
    u"Home Edition"sv,
    u"Professional"sv,
    u"Datacenter Server"sv,
    u"Enterprise"sv,
    u"Web Edition"sv,
};

std::u16string ReadProductName() {
    return ReadRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, u"ProductName", u"");
}

// The extended version query, or nullopt when it fails.
std::optional<OSVERSIONINFOEXW> QueryExtendedVersion() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = kOsVersionInfoExSize;
    if (!CurrentSysPlatform().GetVersionExW(info))
        return std::nullopt;
    return info;
}

bool IsWorkstation() {
    const auto info = QueryExtendedVersion();
    return info && info->wProductType == VER_NT_WORKSTATION;
}

bool BeginsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.starts_with(prefix);
}

bool Contains(std::u16string_view text, std::u16string_view part) {
    return text.find(part) != std::u16string_view::npos;
}

WindowsVersionCode Win9xVersionCode(std::uint32_t minor, std::u16string_view csd) {
    if (minor <= 9)
        return (csd == u"B" || csd == u"C") ? 2 : 1;
    if (minor <= 89) {
        if (KernelProductVersionHigh() == kWindowsMeKernelVersion)
            return 5;
        return (csd == u"A" || csd == u"B") ? 4 : 3;
    }
    return minor == 90 ? 5 : 0;
}

WindowsVersionCode Nt5VersionCode(std::uint32_t minor) {
    switch (minor) {
        case 0:
            return 10;
        case 1:
            return 11;
        case 2: {
            if (CurrentSysPlatform().GetSystemMetrics(SM_SERVERR2) != 0)
                return 14;
            SYSTEM_INFO info{};
            QueryNativeSystemInfo(info);
            if (info.wProcessorArchitecture != PROCESSOR_ARCHITECTURE_INTEL && IsWorkstation()) {
                return 13;
            }
            return 12;
        }
        default:
            return 0;
    }
}

WindowsVersionCode Nt6VersionCode(std::uint32_t minor) {
    // Without compatibility entries the platform reports 8.1 and 2012 R2 as 6.2; their
    // product names tell them apart.
    if (minor == 2) {
        const std::u16string productName = ReadProductName();
        if (BeginsWith(productName, u"Windows 8.1") ||
            BeginsWith(productName, u"Windows Server 2012 R2")) {
            minor = 3;
        }
    }
    switch (minor) {
        case 0:
            return IsWorkstation() ? 15 : 16;
        case 1:
            return IsWorkstation() ? 17 : 18;
        case 2:
            return IsWorkstation() ? 19 : 21;
        case 3:
            return IsWorkstation() ? 22 : 24;
        default:
            return 0;
    }
}

WindowsVersionCode NtVersionCode(std::uint32_t major, std::uint32_t minor) {
    switch (major) {
        case 3:
            return minor == 1 ? 6 : minor == 5 ? 7 : minor == 51 ? 8 : 0;
        case 4:
            return 9;
        case 5:
            return Nt5VersionCode(minor);
        case 6:
            return Nt6VersionCode(minor);
        default:
            return 0;
    }
}

struct EditionRule {
    std::u16string_view part;
    WindowsEditionCode code;
};

WindowsEditionCode FirstContained(std::u16string_view name,
                                  std::initializer_list<EditionRule> rules,
                                  WindowsEditionCode none) {
    for (const EditionRule& rule : rules) {
        if (Contains(name, rule.part))
            return rule.code;
    }
    return none;
}

bool IsServerProductType(std::uint8_t productType) {
    return productType == VER_NT_DOMAIN_CONTROLLER || productType == VER_NT_SERVER;
}

// The candidate of the first applicable rule; 0 when none applies or the query fails.
NtProductTypeCode ProductTypeCandidate() {
    const WindowsVersionCode startup = g_startupWindowsVersion;
    if (startup == 9 && GetServicePackNumber() >= 6) {
        const auto info = QueryExtendedVersion();
        if (!info)
            return 0;
        if (info->wProductType == VER_NT_WORKSTATION)
            return 1;
        return (info->wSuiteMask & VER_SUITE_ENTERPRISE) ? 7 : 2;
    }
    if (startup == 10) {
        const auto info = QueryExtendedVersion();
        if (!info)
            return 0;
        if (!IsServerProductType(info->wProductType))
            return 5;
        if (info->wSuiteMask & VER_SUITE_DATACENTER)
            return 6;
        return (info->wSuiteMask & VER_SUITE_ENTERPRISE) ? 3 : 2;
    }
    if (startup == 12 || startup == 13 || startup == 14) {
        const auto info = QueryExtendedVersion();
        if (!info)
            return 0;
        if (IsServerProductType(info->wProductType)) {
            if (info->wSuiteMask & VER_SUITE_DATACENTER)
                return 6;
            if (info->wSuiteMask & VER_SUITE_ENTERPRISE)
                return 7;
            // The web edition has the blade bit alone; any further bit makes it a server.
            return info->wSuiteMask == VER_SUITE_BLADE ? 8 : 2;
        }
        return info->wProductType == VER_NT_WORKSTATION ? 5 : 0;
    }
    if (VersionAtLeast(5, 1)) {
        const auto info = QueryExtendedVersion();
        if (!info)
            return 0;
        if (info->wProductType == VER_NT_WORKSTATION) {
            return (info->wSuiteMask & VER_SUITE_PERSONAL) ? 4 : 5;
        }
        if (IsServerProductType(info->wProductType)) {
            if (info->wSuiteMask & VER_SUITE_DATACENTER)
                return 6;
            return (info->wSuiteMask & VER_SUITE_ENTERPRISE) ? 7 : 2;
        }
        return 0;
    }
    return 0;
}

NtProductTypeCode RegistryProductType() {
    const std::u16string type =
        ReadRegistryString(HKEY_LOCAL_MACHINE, kProductOptionsKey, u"ProductType", u"");
    if (EqualsNoCase(type, u"WINNT"))
        return 1;
    if (EqualsNoCase(type, u"SERVERNT"))
        return 3;
    if (EqualsNoCase(type, u"LANMANNT"))
        return 2;
    return 0;
}

}  // namespace

WindowsVersionCode GetWindowsVersionCode() {
    const OsVersionValues& version = StartupOsVersion();
    switch (version.PlatformId) {
        case kPlatformWin9x:
            return Win9xVersionCode(version.MinorVersion, Trim(version.CsdVersion));
        case kPlatformNt:
            return NtVersionCode(version.MajorVersion, version.MinorVersion);
        default:
            return 0;
    }
}

WindowsEditionCode GetWindowsEditionCode() {
    const std::u16string name = ReplaceAllNoCase(ReadProductName(), u"(TM) ", u"");
    if (BeginsWith(name, u"Windows XP")) {
        return FirstContained(name,
                              {{u"Home Edition N", 3},
                               {u"Professional N", 4},
                               {u"Home Edition KN", 7},
                               {u"Professional KN", 8},
                               {u"Home Edition K", 5},
                               {u"Professional K", 6},
                               {u"Home", 1},
                               {u"Professional", 2},
                               {u"Starter", 9},
                               {u"Media Center", 10},
                               {u"Tablet", 11}},
                              0);
    }
    if (BeginsWith(name, u"Windows Vista")) {
        return FirstContained(name,
                              {{u"Starter", 12},
                               {u"Home Basic N", 14},
                               {u"Home Basic", 13},
                               {u"Home Premium", 15},
                               {u"Business N", 17},
                               {u"Business", 16},
                               {u"Enterprise", 18},
                               {u"Ultimate", 19}},
                              0);
    }
    if (BeginsWith(name, u"Windows 7")) {
        return FirstContained(name,
                              {{u"Starter", 20},
                               {u"Home Basic", 21},
                               {u"Home Premium", 22},
                               {u"Professional", 23},
                               {u"Enterprise", 24},
                               {u"Ultimate", 25}},
                              0);
    }
    if (BeginsWith(name, u"Windows 8.1")) {
        return FirstContained(name, {{u"Pro", 31}, {u"Enterprise", 32}}, 30);
    }
    if (BeginsWith(name, u"Windows 8")) {
        return FirstContained(name, {{u"Pro", 27}, {u"Enterprise", 28}}, 26);
    }
    if (BeginsWith(name, u"Windows RT 8.1"))
        return 33;
    if (BeginsWith(name, u"Windows RT"))
        return 29;
    return 0;
}

NtProductTypeCode GetNtProductTypeCode() {
    const NtProductTypeCode candidate = ProductTypeCandidate();
    return candidate != 0 ? candidate : RegistryProductType();
}

std::u16string WindowsVersionCodeText(WindowsVersionCode code) {
    if (code >= kVersionTexts.size())
        return {};
    std::u16string text(kVersionTexts[code]);
    if (code >= 6 && code <= 9)
        text += Decimal(StartupOsVersion().MinorVersion);
    return text;
}

std::u16string WindowsEditionCodeText(WindowsEditionCode code) {
    return code < kEditionTexts.size() ? std::u16string(kEditionTexts[code]) : std::u16string();
}

std::u16string NtProductTypeCodeText(NtProductTypeCode code) {
    return code < kProductTypeTexts.size() ? std::u16string(kProductTypeTexts[code])
                                           : std::u16string();
}

std::u16string GetWindowsVersionText() {
    return WindowsVersionCodeText(GetWindowsVersionCode());
}

std::u16string GetWindowsEditionText() {
    return WindowsEditionCodeText(GetWindowsEditionCode());
}

std::u16string GetWindowsProductText() {
    const std::u16string version = GetWindowsVersionText();
    const std::u16string edition = GetWindowsEditionText();
    return edition.empty() ? version : version + u" " + edition;
}

std::u16string GetNtProductTypeText() {
    return NtProductTypeCodeText(GetNtProductTypeCode());
}

std::u16string GetOsVersionText() {
    return GetWindowsVersionText() + u" " + GetServicePackText();
}

WindowsVersionCode StartupWindowsVersion() {
    return g_startupWindowsVersion;
}

void CaptureStartupWindowsVersion() {
    g_startupWindowsVersion = GetWindowsVersionCode();
}

}  // namespace quendra
