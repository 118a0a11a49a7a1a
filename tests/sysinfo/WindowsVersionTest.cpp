#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "sysinfo/SysInfo.h"
#include "tests/fakes/FakeSysPlatform.h"
#include "tests/sysinfo/SysInfoTestData.h"
#include "util/Unicode.h"

namespace {

using namespace quendra;

std::string Show(std::u16string_view text) {
    return Utf16ToUtf8(text);
}

struct VersionCase {
    std::uint32_t platform;
    std::uint32_t major;
    std::uint32_t minor;
    std::u16string_view csd;
    std::uint8_t productType;  // of the extended query; 0 makes it fail
    std::u16string_view productName;
    WindowsVersionCode code;
    std::u16string_view text;
    std::uint32_t kernelVersion = 0;
    bool serverR2 = false;
    std::uint16_t nativeArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
};

constexpr std::uint8_t kWs = VER_NT_WORKSTATION;
constexpr std::uint8_t kSrv = VER_NT_SERVER;
constexpr std::uint8_t kFails = 0;

void Prepare(FakeSysPlatform& fake, const VersionCase& c) {
    fake.SetVersion(c.platform, c.major, c.minor, c.csd);
    fake.SetProduct(c.productType, 0);
    fake.extendedQuerySucceeds = c.productType != kFails;
    fake.kernelFixedVersion = FixedVersionBlock(c.kernelVersion);
    if (c.serverR2)
        fake.metrics[SM_SERVERR2] = 1;
    fake.nativeArchitecture = c.nativeArchitecture;
    if (!c.productName.empty()) {
        fake.SetRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, u"ProductName",
                               c.productName);
    }
}

TEST(WindowsVersion, EveryRowOfTheVersionTable) {
    const VersionCase cases[] = {
        {1, 4, 0, u" B ", kFails, u"", 2, u"Windows 95 OSR2"},
        {1, 4, 0, u"C", kFails, u"", 2, u"Windows 95 OSR2"},
        {1, 4, 0, u"b", kFails, u"", 1, u"Windows 95"},
        {1, 4, 9, u"", kFails, u"", 1, u"Windows 95"},
        {1, 4, 10, u"C", kFails, u"", 5, u"Windows ME", 0x0004005A},
        {1, 4, 10, u" A", kFails, u"", 4, u"Windows 98 SE"},
        {1, 4, 89, u"B", kFails, u"", 4, u"Windows 98 SE"},
        {1, 4, 10, u"C", kFails, u"", 3, u"Windows 98", 0x0004000A},
        {1, 4, 90, u"", kFails, u"", 5, u"Windows ME"},
        {1, 4, 95, u"", kFails, u"", 0, u""},
        {2, 3, 1, u"", kFails, u"", 6, u"Windows NT 3.1"},
        {2, 3, 5, u"", kFails, u"", 7, u"Windows NT 3.5"},
        {2, 3, 51, u"", kFails, u"", 8, u"Windows NT 3.51"},
        {2, 3, 2, u"", kFails, u"", 0, u""},
        {2, 4, 0, u"Service Pack 6", kFails, u"", 9, u"Windows NT 4.0"},
        {2, 5, 0, u"", kWs, u"", 10, u"Windows 2000"},
        {2, 5, 1, u"", kWs, u"", 11, u"Windows XP"},
        {2, 5, 2, u"", kWs, u"", 14, u"Windows Server 2003 R2", 0, true},
        {2, 5, 2, u"", kWs, u"", 13, u"Windows XP x64", 0, false, PROCESSOR_ARCHITECTURE_AMD64},
        {2, 5, 2, u"", kWs, u"", 13, u"Windows XP x64", 0, false, PROCESSOR_ARCHITECTURE_IA64},
        {2, 5, 2, u"", kSrv, u"", 12, u"Windows Server 2003", 0, false,
         PROCESSOR_ARCHITECTURE_AMD64},
        {2, 5, 2, u"", kWs, u"", 12, u"Windows Server 2003"},
        {2, 5, 3, u"", kWs, u"", 0, u""},
        {2, 6, 0, u"", kWs, u"", 15, u"Windows Vista"},
        {2, 6, 0, u"", kSrv, u"", 16, u"Windows Server 2008"},
        {2, 6, 1, u"", kWs, u"", 17, u"Windows 7"},
        {2, 6, 1, u"", kFails, u"", 18, u"Windows Server 2008 R2"},
        {2, 6, 2, u"", kWs, u"Windows 8 Pro", 19, u"Windows 8"},
        {2, 6, 2, u"", kSrv, u"Windows Server 2012 Standard", 21, u"Windows Server 2012"},
        {2, 6, 2, u"", kWs, u"Windows 8.1 Pro", 22, u"Windows 8.1"},
        {2, 6, 2, u"", kSrv, u"Windows Server 2012 R2 Standard", 24, u"Windows Server 2012 R2"},
        {2, 6, 2, u"", kWs, u"Windows 10 Pro", 19, u"Windows 8"},
        {2, 6, 2, u"", kWs, u"Microsoft Windows 8.1", 19, u"Windows 8"},
        {2, 6, 2, u"", kWs, u"windows 8.1", 19, u"Windows 8"},
        {2, 6, 3, u"", kWs, u"", 22, u"Windows 8.1"},
        {2, 6, 3, u"", kSrv, u"", 24, u"Windows Server 2012 R2"},
        {2, 6, 4, u"", kWs, u"", 0, u""},
        {2, 10, 0, u"", kWs, u"", 0, u""},
        {0, 6, 1, u"", kWs, u"", 0, u""},
        {3, 6, 1, u"", kWs, u"", 0, u""},
    };
    for (const VersionCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.platform << " " << c.major << "." << c.minor << " '"
                                        << Show(c.csd) << "' " << Show(c.productName));
        FakeSysPlatform fake;
        Prepare(fake, c);
        ScopedSysPlatform installed(fake.Platform());
        EXPECT_EQ(GetWindowsVersionCode(), c.code);
        EXPECT_EQ(StartupWindowsVersion(), c.code);
        EXPECT_EQ(GetWindowsVersionText(), c.text);
    }
}

TEST(WindowsVersion, CodesTheRulesNeverYieldStillHaveTexts) {
    EXPECT_EQ(WindowsVersionCodeText(20), u"Windows RT");
    EXPECT_EQ(WindowsVersionCodeText(23), u"Windows RT 8.1");
    EXPECT_EQ(WindowsVersionCodeText(25), u"");
    EXPECT_EQ(WindowsVersionCodeText(255), u"");
    EXPECT_EQ(WindowsEditionCodeText(34), u"");
    EXPECT_EQ(NtProductTypeCodeText(9), u"");
}

TEST(WindowsVersion, FailedPlainQueryLeavesTheSystemUnrecognised) {
    FakeSysPlatform fake;
    fake.SetVersion(2, 6, 1);
    fake.plainQuerySucceeds = false;
    ScopedSysPlatform installed(fake.Platform());
    EXPECT_EQ(StartupOsVersion().PlatformId, 0u);
    EXPECT_EQ(StartupWindowsVersion(), 0);
    EXPECT_EQ(GetWindowsVersionText(), u"");
}

TEST(WindowsVersion, IsRecomputedOnEachCallWhileTheStartupCodeStays) {
    FakeSysPlatform fake;
    fake.SetVersion(2, 6, 2);
    fake.SetProduct(VER_NT_WORKSTATION, 0);
    ScopedSysPlatform installed(fake.Platform());
    EXPECT_EQ(GetWindowsVersionCode(), 19);

    fake.SetRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, u"ProductName",
                           u"Windows 8.1 Enterprise");
    EXPECT_EQ(GetWindowsVersionCode(), 22);
    EXPECT_EQ(StartupWindowsVersion(), 19);
}

struct TextCase {
    std::uint32_t major;
    std::uint32_t minor;
    std::u16string_view productName;
    std::uint16_t servicePack;
    std::u16string_view product;
    std::u16string_view osVersion;
};

TEST(WindowsVersion, ProductAndOsVersionTextsJoinWithOneSpace) {
    const TextCase cases[] = {
        {6, 2, u"Windows 8.1 Pro", 0, u"Windows 8.1 Pro", u"Windows 8.1 "},
        {6, 2, u"Windows 10 Pro", 0, u"Windows 8", u"Windows 8 "},
        {6, 1, u"Windows 7 Ultimate", 1, u"Windows 7 Ultimate", u"Windows 7 SP1"},
        {6, 4, u"", 0, u"", u" "},
        {10, 0, u"", 2, u"", u" SP2"},
        {10, 0, u"Windows 7 Ultimate", 0, u" Ultimate", u" "},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.major << "." << c.minor << " " << Show(c.productName));
        FakeSysPlatform fake;
        fake.SetVersion(2, c.major, c.minor);
        fake.SetProduct(VER_NT_WORKSTATION, 0);
        fake.version.wServicePackMajor = c.servicePack;
        if (!c.productName.empty()) {
            fake.SetRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, u"ProductName",
                                   c.productName);
        }
        ScopedSysPlatform installed(fake.Platform());
        EXPECT_EQ(GetWindowsProductText(), c.product);
        EXPECT_EQ(GetOsVersionText(), c.osVersion);
    }
}

struct EditionCase {
    std::u16string_view productName;
    WindowsEditionCode code;
    std::u16string_view text;
};

TEST(WindowsEdition, FamiliesAndTheOrderOfTheirTests) {
    const EditionCase cases[] = {
        {u"Windows XP Home Edition", 1, u"Home Edition"},
        {u"Windows XP Professional", 2, u"Professional"},
        {u"Windows XP Home Edition N", 3, u"Home Edition N"},
        {u"Windows XP Professional N", 4, u"Professional N"},
        {u"Windows XP Home Edition K", 5, u"Home Edition K"},
        {u"Windows XP Professional K", 6, u"Professional K"},
        {u"Windows XP Home Edition KN", 7, u"Home Edition KN"},
        {u"Windows XP Professional KN", 8, u"Professional KN"},
        {u"Windows XP Starter Edition", 9, u"Starter Edition"},
        {u"Windows XP Media Center Edition", 10, u"Media Center Edition"},
        {u"Windows XP Tablet PC Edition", 11, u"Tablet PC Edition"},
        {u"Windows XP", 0, u""},
        {u"Microsoft Windows XP", 0, u""},
        {u"Windows Vista (TM) Starter", 12, u"Starter"},
        {u"Windows Vista (TM) Home Basic", 13, u"Home Basic"},
        {u"Windows Vista (TM) Home Basic N", 14, u"Home Basic N"},
        {u"Windows Vista (TM) Home Premium", 15, u"Home Premium"},
        {u"Windows Vista (tm) Home Premium", 15, u"Home Premium"},
        {u"Windows Vista Business", 16, u"Business"},
        {u"Windows Vista Business N", 17, u"Business N"},
        {u"Windows Vista Enterprise", 18, u"Enterprise"},
        {u"Windows Vista Ultimate", 19, u"Ultimate"},
        {u"Windows Vista", 0, u""},
        {u"Windows 7 Starter", 20, u"Starter"},
        {u"Windows 7 Home Basic", 21, u"Home Basic"},
        {u"Windows 7 Home Premium", 22, u"Home Premium"},
        {u"Windows 7 Professional", 23, u"Professional"},
        {u"Windows 7 Enterprise", 24, u"Enterprise"},
        {u"Windows 7 Ultimate", 25, u"Ultimate"},
        {u"windows 7 ultimate", 0, u""},
        {u"Windows 8", 26, u""},
        {u"Windows 8 Pro", 27, u"Pro"},
        {u"Windows 8 Enterprise", 28, u"Enterprise"},
        {u"Windows RT", 29, u"RT"},
        {u"Windows 8.1", 30, u""},
        {u"Windows 8.1 Pro", 31, u"Pro"},
        {u"Windows 8.1 Enterprise", 32, u"Enterprise"},
        {u"Windows RT 8.1", 33, u"RT"},
        {u"Windows 10 Pro", 0, u""},
        {u"", 0, u""},
    };
    for (const EditionCase& c : cases) {
        SCOPED_TRACE(Show(c.productName));
        FakeSysPlatform fake;
        fake.SetVersion(2, 6, 1);
        if (!c.productName.empty()) {
            fake.SetRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, u"ProductName",
                                   c.productName);
        }
        ScopedSysPlatform installed(fake.Platform());
        EXPECT_EQ(GetWindowsEditionCode(), c.code);
        EXPECT_EQ(GetWindowsEditionText(), c.text);
    }
}

TEST(WindowsEdition, AProductNameOfAnotherTypeCountsAsAbsent) {
    FakeSysPlatform fake;
    fake.SetVersion(2, 6, 1);
    fake.SetRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, u"ProductName",
                           u"Windows 7 Ultimate", REG_MULTI_SZ);
    ScopedSysPlatform installed(fake.Platform());
    EXPECT_EQ(GetWindowsEditionCode(), 0);
}

struct ProductTypeCase {
    const char* name;
    std::uint32_t major;
    std::uint32_t minor;
    std::uint8_t productType;  // 0 makes the extended query fail
    std::uint16_t suiteMask;
    std::u16string_view registryType;  // empty: no value
    WindowsVersionCode startup;
    NtProductTypeCode code;
    std::optional<std::uint32_t> nt4ServicePack = std::nullopt;  // registry CSDVersion
    bool serverR2 = false;
    std::uint16_t nativeArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
};

TEST(NtProductType, RulesByStartupVersionAndTheRegistryFallback) {
    const ProductTypeCase cases[] = {
        {"NT4 SP6 workstation", 4, 0, kWs, 0, u"", 9, 1, 0x0600},
        {"NT4 SP6 enterprise", 4, 0, kSrv, 0x0002, u"", 9, 7, 0x0600},
        {"NT4 SP6 server", 4, 0, VER_NT_DOMAIN_CONTROLLER, 0, u"", 9, 2, 0x0600},
        {"NT4 SP6 failed query", 4, 0, kFails, 0, u"WinNT", 9, 1, 0x0600},
        {"NT4 SP5 LanmanNT", 4, 0, kWs, 0, u"LanmanNT", 9, 2, 0x0500},
        {"NT4 SP5 ServerNT", 4, 0, kWs, 0, u"SERVERNT", 9, 3, 0x0500},
        {"NT4 SP5 WinNT", 4, 0, kWs, 0, u"winnt", 9, 1, 0x0500},
        {"NT4 SP5 no value", 4, 0, kWs, 0, u"", 9, 0, 0x0500},
        {"NT4 SP5 other value", 4, 0, kWs, 0, u"WINNT ", 9, 0, 0x0500},
        {"2000 datacenter", 5, 0, kSrv, 0x0082, u"", 10, 6},
        {"2000 advanced", 5, 0, VER_NT_DOMAIN_CONTROLLER, 0x0002, u"", 10, 3},
        {"2000 server", 5, 0, kSrv, 0, u"", 10, 2},
        {"2000 professional", 5, 0, kWs, 0x0200, u"", 10, 5},
        {"2000 failed query", 5, 0, kFails, 0, u"ServerNT", 10, 3},
        {"2003 datacenter", 5, 2, kSrv, 0x0482, u"", 12, 6},
        {"2003 enterprise", 5, 2, kSrv, 0x0402, u"", 12, 7},
        {"2003 web edition", 5, 2, kSrv, 0x0400, u"", 12, 8},
        {"2003 blade and more", 5, 2, kSrv, 0x0410, u"", 12, 2},
        {"2003 server", 5, 2, VER_NT_DOMAIN_CONTROLLER, 0, u"", 12, 2},
        {"2003 R2 workstation", 5, 2, kWs, 0, u"", 14, 5, std::nullopt, true},
        {"2003 R2 web edition", 5, 2, kSrv, 0x0400, u"", 14, 8, std::nullopt, true},
        {"XP x64", 5, 2, kWs, 0x0200, u"", 13, 5, std::nullopt, false,
         PROCESSOR_ARCHITECTURE_AMD64},
        {"XP home", 5, 1, kWs, 0x0200, u"", 11, 4},
        {"XP professional", 5, 1, kWs, 0, u"", 11, 5},
        {"XP other product type", 5, 1, 7, 0, u"LanmanNT", 11, 2},
        {"Vista datacenter", 6, 0, kSrv, 0x0080, u"", 16, 6},
        {"Vista enterprise", 6, 0, kSrv, 0x0002, u"", 16, 7},
        {"Vista web mask is a server", 6, 0, kSrv, 0x0400, u"", 16, 2},
        {"7 failed query", 6, 1, kFails, 0, u"", 18, 0},
        {"7 failed query WinNT", 6, 1, kFails, 0, u"WinNT", 18, 1},
        {"Unrecognised 10.0 workstation", 10, 0, kWs, 0, u"", 0, 5},
    };
    for (const ProductTypeCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSysPlatform fake;
        fake.SetVersion(2, c.major, c.minor);
        fake.SetProduct(c.productType, c.suiteMask);
        fake.extendedQuerySucceeds = c.productType != kFails;
        if (c.serverR2)
            fake.metrics[SM_SERVERR2] = 1;
        fake.nativeArchitecture = c.nativeArchitecture;
        if (c.nt4ServicePack) {
            fake.SetRegistryDword(HKEY_LOCAL_MACHINE, kWindowsControlKey, u"CSDVersion",
                                  *c.nt4ServicePack);
        }
        if (!c.registryType.empty()) {
            fake.SetRegistryString(HKEY_LOCAL_MACHINE, kProductOptionsKey, u"ProductType",
                                   c.registryType);
        }
        ScopedSysPlatform installed(fake.Platform());
        ASSERT_EQ(StartupWindowsVersion(), c.startup);
        EXPECT_EQ(GetNtProductTypeCode(), c.code);
        EXPECT_EQ(GetNtProductTypeText(), NtProductTypeCodeText(c.code));
    }
}

TEST(NtProductType, NineXFamilyAndLinuxFallBackToTheRegistry) {
    {
        FakeSysPlatform fake;
        fake.SetVersion(1, 4, 10);
        fake.SetProduct(kWs, 0);
        ScopedSysPlatform installed(fake.Platform());
        EXPECT_EQ(GetNtProductTypeCode(), 0);
        EXPECT_EQ(fake.extendedQueries, 0);
    }
    {
        // Linux reports platform 0 with the kernel's version: the query rule applies, the
        // extended query fails and the registry has no value.
        FakeSysPlatform fake;
        fake.SetVersion(0, 6, 1);
        fake.extendedQuerySucceeds = false;
        ScopedSysPlatform installed(fake.Platform());
        EXPECT_EQ(GetNtProductTypeCode(), 0);
        EXPECT_EQ(GetNtProductTypeText(), u"");
    }
}

TEST(NtProductType, Texts) {
    const std::u16string_view texts[] = {u"",
                                         u"Workstation",
                                         u"Server",
                                         u"Advanced Server",
                                         u"Home Edition",
                                         u"Professional",
                                         u"Datacenter Server",
                                         u"Enterprise",
                                         u"Web Edition"};
    for (std::uint8_t code = 0; code < std::size(texts); ++code) {
        EXPECT_EQ(NtProductTypeCodeText(code), texts[code]) << int{code};
    }
}

}  // namespace
