#include <gtest/gtest.h>

#include "sysinfo/SysInfo.h"
#include "tests/fakes/FakeSysPlatform.h"
#include "tests/sysinfo/SysInfoTestData.h"

namespace {

using namespace quendra;

TEST(StartupCapture, TakesThePlainQueryAndCutsTheCsdTextAtItsFirstZero) {
    FakeSysPlatform fake;
    fake.SetVersion(2, 5, 1, u"Service Pack 3");
    fake.version.szCSDVersion[7] = u'\0';
    ScopedSysPlatform installed(fake.Platform());
    EXPECT_EQ(StartupOsVersion().PlatformId, 2u);
    EXPECT_EQ(StartupOsVersion().MajorVersion, 5u);
    EXPECT_EQ(StartupOsVersion().MinorVersion, 1u);
    EXPECT_EQ(StartupOsVersion().CsdVersion, u"Service");
    EXPECT_EQ(fake.extendedQueries, 0);
}

TEST(StartupCapture, ACsdTextFillingTheWholeFieldKeepsAll128Characters) {
    FakeSysPlatform fake;
    fake.SetVersion(2, 5, 1, std::u16string(128, u'x'));
    ScopedSysPlatform installed(fake.Platform());
    EXPECT_EQ(StartupOsVersion().CsdVersion, std::u16string(128, u'x'));
}

TEST(StartupCapture, KernelProductVersionOnlyOffTheNtFamilyAndFromAWholeBlock) {
    struct Case {
        std::uint32_t platform;
        std::size_t blockSize;
        std::uint32_t expected;
    } cases[] = {
        {1, 52, 0x0004005A}, {0, 52, 0x0004005A}, {2, 52, 0}, {1, 51, 0}, {1, 53, 0}, {1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.platform << " " << c.blockSize);
        FakeSysPlatform fake;
        fake.SetVersion(c.platform, 4, 90);
        fake.kernelFixedVersion = FixedVersionBlock(0x0004005A, c.blockSize);
        ScopedSysPlatform installed(fake.Platform());
        EXPECT_EQ(KernelProductVersionHigh(), c.expected);
    }
}

TEST(StartupCapture, AFailedQueryLeavesZerosAndAnEmptyText) {
    FakeSysPlatform fake;
    fake.SetVersion(1, 4, 10, u"A");
    fake.plainQuerySucceeds = false;
    ScopedSysPlatform installed(fake.Platform());
    EXPECT_EQ(StartupOsVersion().PlatformId, 0u);
    EXPECT_EQ(StartupOsVersion().MajorVersion, 0u);
    EXPECT_EQ(StartupOsVersion().MinorVersion, 0u);
    EXPECT_EQ(StartupOsVersion().CsdVersion, u"");
}

TEST(VersionAtLeastTest, ComparesWithTheStartupVersion) {
    FakeSysPlatform fake;
    fake.SetVersion(2, 6, 1);
    ScopedSysPlatform installed(fake.Platform());
    EXPECT_TRUE(VersionAtLeast(6, 1));
    EXPECT_TRUE(VersionAtLeast(6, 0));
    EXPECT_TRUE(VersionAtLeast(5, 9));
    EXPECT_TRUE(VersionAtLeast(-1, 100));
    EXPECT_FALSE(VersionAtLeast(6, 2));
    EXPECT_FALSE(VersionAtLeast(7, 0));
}

TEST(ServicePack, NtFiveAndLaterAskTheExtendedQuery) {
    struct Case {
        std::uint32_t major;
        std::uint16_t servicePack;
        bool querySucceeds;
        std::int32_t number;
        std::u16string_view text;
    } cases[] = {
        {6, 1, true, 1, u"SP1"},
        {6, 0, true, 0, u""},
        {5, 3, false, 0, u""},
        {10, 65535, true, 65535, u"SP65535"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.major << " " << c.servicePack);
        FakeSysPlatform fake;
        fake.SetVersion(2, c.major, 1);
        fake.version.wServicePackMajor = c.servicePack;
        fake.extendedQuerySucceeds = c.querySucceeds;
        // The registry is not asked on this path.
        fake.SetRegistryDword(HKEY_LOCAL_MACHINE, kWindowsControlKey, u"CSDVersion", 0x0600);
        ScopedSysPlatform installed(fake.Platform());
        EXPECT_EQ(GetServicePackNumber(), c.number);
        EXPECT_EQ(GetServicePackText(), c.text);
    }
}

TEST(ServicePack, OlderSystemsReadTheRegistryValuesHexDigitsAsADecimalNumber) {
    struct Case {
        const char* name;
        std::uint32_t platform;
        std::uint32_t type;  // REG_NONE: no value
        std::vector<std::uint8_t> data;
        std::int32_t number;
        std::u16string_view text;
    } cases[] = {
        {"0x0600", 2, REG_DWORD, {0x00, 0x06, 0, 0}, 6, u"SP6"},
        {"0x0300", 2, REG_DWORD, {0x00, 0x03, 0, 0}, 3, u"SP3"},
        {"missing", 2, REG_NONE, {}, 0, u""},
        {"text 600 is 0x258", 2, REG_SZ, {'6', 0, '0', 0, '0', 0, 0, 0}, 2, u"SP2"},
        {"hex letters", 2, REG_DWORD, {0x00, 0x0A, 0, 0}, 0, u""},
        {"negative", 2, REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, 0, u""},
        {"eight digits", 2, REG_DWORD, {0x99, 0x99, 0x99, 0x99}, 999999, u"SP999999"},
        {"9x binary", 1, REG_BINARY, {0x00, 0x01}, 1, u"SP1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSysPlatform fake;
        fake.SetVersion(c.platform, 4, 0);
        fake.version.wServicePackMajor = 9;  // the extended query is not asked on this path
        if (c.type != REG_NONE) {
            fake.SetRegistryBytes(HKEY_LOCAL_MACHINE, kWindowsControlKey, u"CSDVersion", c.type,
                                  c.data);
        }
        ScopedSysPlatform installed(fake.Platform());
        EXPECT_EQ(GetServicePackNumber(), c.number);
        EXPECT_EQ(GetServicePackText(), c.text);
    }
}

TEST(NativeSystemInfo, SixtyFourBitMeansIa64OrAmd64) {
    struct Case {
        bool hasNative;
        std::uint16_t native;
        std::uint16_t plain;
        bool nativeUsed;
        bool is64;
    } cases[] = {
        {true, PROCESSOR_ARCHITECTURE_AMD64, PROCESSOR_ARCHITECTURE_INTEL, true, true},
        {true, PROCESSOR_ARCHITECTURE_IA64, PROCESSOR_ARCHITECTURE_INTEL, true, true},
        {true, PROCESSOR_ARCHITECTURE_INTEL, PROCESSOR_ARCHITECTURE_AMD64, true, false},
        {true, PROCESSOR_ARCHITECTURE_ARM64, PROCESSOR_ARCHITECTURE_ARM64, true, false},
        {false, PROCESSOR_ARCHITECTURE_AMD64, PROCESSOR_ARCHITECTURE_INTEL, false, false},
        {false, PROCESSOR_ARCHITECTURE_AMD64, PROCESSOR_ARCHITECTURE_AMD64, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hasNative << " " << c.native << " " << c.plain);
        FakeSysPlatform fake;
        fake.hasNativeSystemInfo = c.hasNative;
        fake.nativeArchitecture = c.native;
        fake.plainArchitecture = c.plain;
        ScopedSysPlatform installed(fake.Platform());
        SYSTEM_INFO info{};
        EXPECT_EQ(QueryNativeSystemInfo(info), c.nativeUsed);
        EXPECT_EQ(info.wProcessorArchitecture, c.nativeUsed ? c.native : c.plain);
        EXPECT_EQ(Is64BitWindows(), c.is64);
    }
}

TEST(SystemFolder, AsThePlatformReportsItCutAtTheFirstZero) {
    struct Case {
        std::u16string reported;
        std::u16string_view path;
    } cases[] = {
        {u"C:\\WINDOWS\\system32", u"C:\\WINDOWS\\system32"},
        {u"", u""},
        {std::u16string(u"C:\\WIN\0DOWS", 10), u"C:\\WIN"},
    };
    for (const Case& c : cases) {
        FakeSysPlatform fake;
        fake.systemDirectory = c.reported;
        ScopedSysPlatform installed(fake.Platform());
        EXPECT_EQ(GetSystemFolderPath(), c.path);
    }
}

}  // namespace
