#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "sysinfo/SysInfo.h"
#include "tests/fakes/FakeSysPlatform.h"

namespace {

using namespace quendra;

constexpr std::uint32_t kTsc = 1u << 4;

// Leaf 1's EAX for a family and model.
std::uint32_t Signature(std::uint32_t family, std::uint32_t model) {
    return family << 8 | model << 4;
}

class CpuInfoTest : public testing::Test {
protected:
    CpuInfo Read() {
        ScopedSysPlatform installed(fake.Platform());
        CpuInfo info;
        std::memset(&info, 0xA5, sizeof info);  // every field must be overwritten
        ReadCpuInfo(info);
        return info;
    }
    bool Executed(std::uint32_t leaf) const {
        return std::find(fake.executedLeaves.begin(), fake.executedLeaves.end(), leaf) !=
               fake.executedLeaves.end();
    }
    void Intel(std::uint32_t maxExtended, std::uint32_t family, std::uint32_t model,
               std::uint8_t brandIndex = 0) {
        fake.SetVendor(2, "GenuineIntel");
        fake.cpuid[1] = {Signature(family, model), brandIndex, 0, 0};
        fake.cpuid[0x80000000] = {maxExtended, 0, 0, 0};
    }
    void Vendor(std::string_view vendor, std::uint32_t maxExtended, std::uint32_t family,
                std::uint32_t model) {
        fake.SetVendor(1, vendor);
        fake.cpuid[1] = {Signature(family, model), 0, 0, 0};
        fake.cpuid[0x80000000] = {maxExtended, 0, 0, 0};
    }

    FakeSysPlatform fake;
};

TEST_F(CpuInfoTest, WithoutCpuidEverythingIsUnknownAndNothingIsMeasured) {
    const CpuInfo info = Read();
    EXPECT_FALSE(info.CpuidPresent);
    EXPECT_EQ(info.FamilyId, 4);
    EXPECT_EQ(info.VendorKind, 0);
    EXPECT_EQ(CpuInfoText(info.VendorIDString), u"");
    EXPECT_EQ(CpuInfoText(info.Manufacturer), u"Unknown");
    EXPECT_EQ(CpuInfoText(info.CpuName), u"Unknown");
    EXPECT_EQ(CpuInfoText(info.TransmetaSpecific.TransmetaInformations), u"");
    EXPECT_EQ(info.Frequency.RawMHz, 0);
    EXPECT_TRUE(fake.executedLeaves.empty());
    EXPECT_EQ(fake.priorityReads, 0);
}

TEST_F(CpuInfoTest, AnUnlistedVendorIsUnknownEvenWithABrandString) {
    fake.SetVendor(1, "SomeVendorID");
    fake.cpuid[1] = {Signature(6, 2), 0, 0, kTsc};
    fake.cpuid[0x80000000] = {0x80000004, 0, 0, 0};
    fake.SetLeafText(0x80000002, "Some Processor");
    const CpuInfo info = Read();
    EXPECT_TRUE(info.CpuidPresent);
    EXPECT_EQ(CpuInfoText(info.VendorIDString), u"SomeVendorID");
    EXPECT_EQ(CpuInfoText(info.Manufacturer), u"Unknown");
    EXPECT_EQ(CpuInfoText(info.CpuName), u"Unknown");
    EXPECT_EQ(info.FamilyId, 6);
    EXPECT_EQ(info.BrandIndex, 0);
    EXPECT_FALSE(Executed(2));
    EXPECT_EQ(info.Frequency.RawMHz, 1000);  // standard decoding found the time-stamp counter
}

TEST_F(CpuInfoTest, IntelBrandStringIsTakenUnchanged) {
    Intel(0x80000004, 15, 2);
    const std::string brand = "       Intel(R) Pentium(R) 4 CPU 2.40GHz";  // 7 + 33 bytes
    fake.SetLeafText(0x80000002, brand.substr(0, 16));
    fake.SetLeafText(0x80000003, brand.substr(16, 16));
    fake.SetLeafText(0x80000004, brand.substr(32, 16));
    const CpuInfo info = Read();
    EXPECT_EQ(info.VendorKind, 1);
    EXPECT_TRUE(info.ExtendedInfoPresent);
    EXPECT_EQ(CpuInfoText(info.Manufacturer), u"Intel");
    EXPECT_EQ(CpuInfoText(info.CpuName), u"       Intel(R) Pentium(R) 4 CPU 2.40GHz");
}

TEST_F(CpuInfoTest, ABrandStringFillingAll48BytesHasNoTerminator) {
    Intel(0x80000004, 6, 15);
    const std::string brand(48, 'x');
    fake.SetLeafText(0x80000002, brand.substr(0, 16));
    fake.SetLeafText(0x80000003, brand.substr(16, 16));
    fake.SetLeafText(0x80000004, brand.substr(32, 16));
    EXPECT_EQ(CpuInfoText(Read().CpuName), std::u16string(48, u'x'));
}

TEST_F(CpuInfoTest, IntelWithExtendedLeavesButNoBrandLeafHasAnEmptyName) {
    Intel(0x80000001, 6, 8, 2);
    const CpuInfo info = Read();
    EXPECT_TRUE(info.ExtendedInfoPresent);
    EXPECT_EQ(CpuInfoText(info.CpuName), u"");
    EXPECT_FALSE(Executed(0x80000002));
}

TEST_F(CpuInfoTest, IntelNameTable) {
    struct Case {
        std::uint32_t family;
        std::uint32_t model;
        std::uint8_t brandIndex;
        CpuidRegisters leaf2;
        std::u16string_view name;
        std::int32_t l2 = 0;
    } cases[] = {
        {4, 1, 0, {}, u"Intel 486DX Processor"},
        {4, 2, 0, {}, u"Intel 486SX Processor"},
        {4, 3, 0, {}, u"Intel DX2 Processor"},
        {4, 5, 0, {}, u"Intel SX2 Processor"},
        {4, 7, 0, {}, u"Write-Back Enhanced Intel DX2 Processor"},
        {4, 8, 0, {}, u"Intel DX4 Processor"},
        {4, 4, 0, {}, u"Intel 486 Processor"},
        {5, 2, 0, {}, u"Pentium"},
        {6, 1, 0, {}, u"Pentium Pro"},
        {6, 3, 0, {}, u"Pentium II"},
        {6, 5, 0, {}, u"Celeron"},
        // 0x01 is not a second-level descriptor; 0x44 is 1024 KB.
        {6, 5, 0, {0x00004401, 0, 0, 0}, u"Pentium II Xeon", 1024},
        {6, 5, 0, {0, 0, 0, 0x45000000}, u"Pentium II Xeon", 2048},
        {6, 5, 0, {0, 0x41, 0, 0}, u"Pentium II", 128},
        {6, 6, 0, {0, 0, 0x41, 0}, u"Celeron", 128},
        {6, 6, 0, {0x3A, 0, 0, 0}, u"Pentium II", 192},
        {6, 7, 0, {0x4342, 0, 0, 0}, u"Pentium III", 768},  // 256 + 512 KB
        {6, 7, 0, {0, 0, 0, 0x0044}, u"Pentium III Xeon", 1024},
        {6, 7, 0, {0x82, 0, 0, 0}, u"Pentium III", 256},
        {6, 8, 1, {}, u"Celeron"},
        {6, 8, 2, {}, u"Pentium III"},
        {6, 8, 3, {}, u"Pentium III Xeon"},
        {6, 10, 0, {}, u"Pentium III Xeon"},
        {6, 11, 0, {}, u"Pentium III"},
        {6, 9, 0, {}, u"P6 (Model 9)"},
        {15, 0, 1, {}, u"Celeron"},
        {15, 2, 14, {}, u"Xeon"},
        {15, 2, 8, {}, u"Pentium 4"},
        {7, 0, 0, {}, u"P7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.family << "/" << c.model << " index " << int{c.brandIndex});
        fake = FakeSysPlatform();
        Intel(0, c.family, c.model, c.brandIndex);
        fake.cpuid[2] = c.leaf2;
        const CpuInfo info = Read();
        EXPECT_FALSE(info.ExtendedInfoPresent);
        EXPECT_EQ(info.L2CacheKB, c.l2);
        EXPECT_EQ(CpuInfoText(info.CpuName), c.name);
    }
}

TEST_F(CpuInfoTest, IntelWithoutLeafOneReadsAsFamilyZero) {
    fake.SetVendor(0, "GenuineIntel");
    fake.cpuid[1] = {Signature(6, 8), 0, 0, kTsc};
    const CpuInfo info = Read();
    EXPECT_EQ(info.FamilyId, 0);
    EXPECT_EQ(CpuInfoText(info.CpuName), u"P0");
    EXPECT_FALSE(Executed(1));
    EXPECT_EQ(info.FeatureFlags, 0u);
    EXPECT_EQ(fake.priorityReads, 0);  // no feature word, no measurement
}

TEST_F(CpuInfoTest, AmdNameTableAndBrandString) {
    struct Case {
        std::uint32_t family;
        std::uint32_t model;
        std::u16string_view name;
    } cases[] = {
        {4, 9, u"Am486(R) or Am5x86"},
        {5, 0, u"AMD-K5 (Model 0)"},
        {5, 3, u"AMD-K5 (Model 3)"},
        {5, 4, u"Unknown AMD (Model 4)"},
        {5, 6, u"AMD-K6\u00AE (Model 6)"},
        {5, 7, u"AMD-K6\u00AE (Model 7)"},
        {5, 8, u"AMD-K6\u00AE-2 (Model 8)"},
        {5, 9, u"AMD-K6\u00AE-III (Model 9)"},
        {6, 1, u"AMD Athlon\u2122 (Model 1)"},
        {6, 4, u"AMD Athlon\u2122 (Model 4)"},
        {6, 3, u"AMD Duron\u2122 (Model 3)"},
        {6, 7, u"AMD Duron\u2122 (Model 7)"},
        {6, 6, u"AMD Athlon\u2122 XP (Model 6)"},
        {6, 10, u"AMD Athlon\u2122 XP (Model 10)"},
        {6, 5, u"Unknown AMD (Model 5)"},
        {8, 0, u""},
        {15, 0, u"Unknown AMD Chip"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.family << "/" << c.model);
        fake = FakeSysPlatform();
        Vendor("AuthenticAMD", 0, c.family, c.model);
        const CpuInfo info = Read();
        EXPECT_EQ(info.VendorKind, 3);
        EXPECT_FALSE(info.ExtendedInfoPresent);
        EXPECT_EQ(CpuInfoText(info.Manufacturer), u"AMD");
        EXPECT_EQ(CpuInfoText(info.CpuName), c.name);
    }

    fake = FakeSysPlatform();
    Vendor("AuthenticAMD", 0x80000002, 6, 6);
    fake.cpuid[1].edx = kTsc;
    fake.SetLeafText(0x80000002, "AMD Athlon(tm)");
    const CpuInfo info = Read();
    EXPECT_TRUE(info.ExtendedInfoPresent);
    EXPECT_EQ(CpuInfoText(info.CpuName), u"AMD Athlon(tm)");
    EXPECT_EQ(info.FamilyId, 0);  // no standard decoding with extended leaves
    EXPECT_EQ(info.FeatureFlags, kTsc);
}

TEST_F(CpuInfoTest, CyrixNameTableAndExtendedFeatures) {
    struct Case {
        std::uint32_t family;
        std::uint32_t model;
        std::u16string_view name;
    } cases[] = {
        {4, 0, u"Cyrix MediaGX"}, {5, 2, u"Cyrix 6x86"}, {5, 4, u"Cyrix GXm"}, {5, 3, u""},
        {6, 0, u"6x86MX"},        {3, 0, u"3x86"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.family << "/" << c.model);
        fake = FakeSysPlatform();
        Vendor("CyrixInstead", 0, c.family, c.model);
        const CpuInfo info = Read();
        EXPECT_EQ(info.VendorKind, 2);
        EXPECT_EQ(CpuInfoText(info.Manufacturer), u"Cyrix");
        EXPECT_EQ(CpuInfoText(info.CpuName), c.name);
    }

    fake = FakeSysPlatform();
    Vendor("CyrixInstead", 0x80000001, 6, 0);
    fake.cpuid[0x80000001] = {0, 0, 0, kTsc | 1};
    const CpuInfo info = Read();
    EXPECT_TRUE(info.ExtendedInfoPresent);
    EXPECT_EQ(info.FeatureFlags, kTsc | 1);
    EXPECT_FALSE(Executed(1));
    EXPECT_EQ(CpuInfoText(info.CpuName), u"");
}

TEST_F(CpuInfoTest, ViaWithExtendedLeavesSkipsLeafOneAndTheMeasurement) {
    Vendor("CentaurHauls", 0x80000004, 6, 9);
    fake.cpuid[1].edx = kTsc;
    fake.SetLeafText(0x80000002, "VIA Nehemiah");
    const CpuInfo info = Read();
    EXPECT_EQ(info.VendorKind, 5);
    EXPECT_EQ(CpuInfoText(info.Manufacturer), u"Via");
    EXPECT_EQ(CpuInfoText(info.CpuName), u"VIA Nehemiah");
    EXPECT_FALSE(Executed(1));
    EXPECT_EQ(info.FeatureFlags, 0u);
    EXPECT_EQ(fake.priorityReads, 0);
}

TEST_F(CpuInfoTest, ViaNamesItselfC3WithoutExtendedFeatures) {
    for (const std::uint32_t maxExtended : {0u, 0x80000000u}) {
        fake = FakeSysPlatform();
        Vendor("CentaurHauls", maxExtended, 6, 9);
        const CpuInfo info = Read();
        EXPECT_FALSE(info.ExtendedInfoPresent);
        EXPECT_EQ(CpuInfoText(info.CpuName), u"C3");
        EXPECT_EQ(info.FamilyId, maxExtended == 0 ? 6 : 0);
    }
}

TEST_F(CpuInfoTest, TransmetaNamesAndInformationText) {
    Vendor("GenuineTMx86", 0x80000001, 5, 4);
    fake.cpuid[0x80000000] = {0x80000001, 0x6E617254, 0x55504361, 0x74656D73};  // "TransmetaCPU"
    fake.cpuid[0x80860000] = {0x80860006, 0, 0, 0};
    const std::string text = "20071211 0123456789";  // 19 characters and a space
    fake.SetLeafText(0x80860003, text.substr(0, 16));
    fake.SetLeafText(0x80860004, text.substr(16) + " ");
    const CpuInfo info = Read();
    EXPECT_EQ(info.VendorKind, 4);
    EXPECT_EQ(CpuInfoText(info.Manufacturer), u"Transmeta");
    EXPECT_EQ(CpuInfoText(info.CpuName), u"TransmetaCPU");
    EXPECT_EQ(CpuInfoText(info.TransmetaSpecific.TransmetaInformations), u"20071211 0123456789 ");
    EXPECT_TRUE(Executed(0x80860006));

    fake = FakeSysPlatform();
    Vendor("GenuineTMx86", 0, 5, 4);
    fake.cpuid[0x80860000] = {0x80860003, 0, 0, 0};
    fake.SetLeafText(0x80860003, "ABCDEFGHIJKLMNOP");
    fake.SetLeafText(0x80860004, "not read");
    const CpuInfo crusoe = Read();
    EXPECT_EQ(CpuInfoText(crusoe.CpuName), u"Crusoe");
    EXPECT_EQ(CpuInfoText(crusoe.TransmetaSpecific.TransmetaInformations), u"ABCDEFGHIJKLMNOP");
    EXPECT_FALSE(Executed(0x80860004));
    EXPECT_EQ(crusoe.TransmetaSpecific.TransmetaInformations[64], u'\0');
}

TEST_F(CpuInfoTest, TheClockIsMeasuredWhenTheProcessorHasATimeStampCounter) {
    Intel(0x80000004, 6, 15);
    fake.cpuid[1].edx = kTsc;
    fake.cpuMHzPerTry = {2394};
    const CpuInfo info = Read();
    EXPECT_EQ(info.Frequency.RawMHz, 2394);
    EXPECT_EQ(info.Frequency.NormalizedMHz, 2390);
}

}  // namespace
